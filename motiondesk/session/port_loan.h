#pragma once
// Handing the serial port to another window or program: the holder stops using it and closes
// it while the loan lasts, and takes it back when the loan ends, however the borrower ends.

namespace session {

class PortHolder {
public:
    virtual ~PortHolder() = default;
    // Stop using the port and close it.
    virtual void lendPort() = 0;
    // Open it again and go on.
    virtual void takePortBack() = 0;
};

class PortLoan {
public:
    explicit PortLoan(PortHolder& holder) : holder_(holder) { holder_.lendPort(); }
    ~PortLoan() { holder_.takePortBack(); }
    PortLoan(const PortLoan&) = delete;
    PortLoan& operator=(const PortLoan&) = delete;

private:
    PortHolder& holder_;
};

} // namespace session
