#include "proglift/loader/loader_link.h"

namespace proglift {

transport::LinkRequest linkRequestFor(const jobfiles::LoaderSetup& setup) {
    transport::LinkRequest request;
    request.LinkType = setup.LinkType;
    request.SerialPort = setup.SerialPort;
    request.BaudRate = setup.BaudRate;
    request.DeviceName = setup.DeviceName;
    request.ModelCode = setup.ModelCode;
    request.EthernetAddress = setup.EthernetAddress;
    request.EthernetPort = setup.EthernetPort;
    request.usbTimeoutMs = 1000;
    return request;
}

std::optional<std::string> openLoaderLink(transport::ControllerLink& link,
                                          const jobfiles::LoaderSetup& setup) {
    const bool knownLink = setup.LinkType == transport::LinkUsb ||
                           setup.LinkType == transport::LinkSerial ||
                           setup.LinkType == transport::LinkEthernet;
    if (!knownLink && setup.LoaderOperation == jobfiles::Upload) return std::nullopt;
    return link.open(linkRequestFor(setup));
}

} // namespace proglift
