#pragma once
// The digital I/O window "DIO Control" (DIO): the sixteen entries of the controller's digital
// I/O table, with "Down", "Upload", "Store", "Save", "Open" and "Close". It is opened from the
// set-up window, which lends it the port; it talks over a port of its own while it is open.
// Loading (the constructor) opens that port, fills the move-type lists and uploads the table
// without the closing message.
//
// The controls of row r are named MoveType<r>, Target<r>, Hspd<r>, Lspd<r> and Acc<r>
// (MoveType0 .. Acc15).

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace session {
struct WindowServices;
}

namespace setup {

class DioWindowPrivate;

class DioWindow final : public QDialog {
    Q_OBJECT
public:
    explicit DioWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~DioWindow() override;

    const std::vector<std::string>& unboundControls() const;

protected:
    // Closing by any way releases the port.
    void done(int result) override;

private:
    std::unique_ptr<DioWindowPrivate> d_;
};

} // namespace setup
