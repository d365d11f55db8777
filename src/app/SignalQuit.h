#pragma once

#include <QObject>

namespace moravel {

// Quits the application's event loop on SIGINT, SIGTERM or SIGHUP. The signal
// handler only writes to a pipe; the quit itself happens on the main thread.
class SignalQuit final : public QObject {
    Q_OBJECT

public:
    explicit SignalQuit(QObject* parent = nullptr);
    ~SignalQuit() override;
};

}  // namespace moravel
