#pragma once
// "Search KT Device" (SearchCom): runs one serial search on its own port, one step per tick of
// StatusTimer, showing the progress; Cancel stops it at the next tick. Exists for one search.

#include "motiondesk/connection/serial_search.h"
#include "motiondesk/session/window_services.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QTimer;

namespace connection {

class SearchWindow : public QDialog {
    Q_OBJECT
public:
    SearchWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // The caller sets StartSearch, SearchAll, AddressID ... before exec() and reads the results
    // after it.
    SerialSearch& search() { return *search_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void onTick();

    std::unique_ptr<transport::SerialLink> port_;
    std::unique_ptr<SerialSearch> search_;
    QProgressBar* progress_;
    QLabel* progressLabel_;
    QTimer* statusTimer_;
    int tickMs_;
    int settleMs_;
    QElapsedTimer shown_;
    static constexpr int kFrameMs = 40;
    bool finished_ = false;
};

} // namespace connection
