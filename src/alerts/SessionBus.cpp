#include "alerts/SessionBus.h"

#include <QCoreApplication>
#include <QPointer>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <dbus/dbus.h>
#include <sys/stat.h>

namespace moravel {

namespace {

constexpr char addressVariable[] = "DBUS_SESSION_BUS_ADDRESS";

// What libdbus connects to when the variable is unset: the user's bus socket
// in the runtime folder, else its autolaunch.
QString sessionBusAddress()
{
    const QString named = qEnvironmentVariable(addressVariable);
    if (!named.isEmpty())
        return named;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info;
    const QByteArray socket = runtime + "/bus";
    if (!runtime.isEmpty() && ::stat(socket.constData(), &info) == 0 && S_ISSOCK(info.st_mode)) {
        char* escaped = dbus_address_escape_value(socket.constData());
        const QString address = QStringLiteral("unix:path=") + QString::fromUtf8(escaped);
        dbus_free(escaped);
        return address;
    }
    return QStringLiteral("autolaunch:");
}

// Connects and says hello, as Qt would; may never return. (Not through
// dbus_bus_register, which holds a lock of all libdbus while it waits.)
bool busAnswers(const QByteArray& address)
{
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(address.constData(), &error);
    bool answered = false;
    if (connection) {
        dbus_connection_set_exit_on_disconnect(connection, FALSE);
        DBusMessage* hello =
            dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello");
        DBusMessage* reply =
            hello ? dbus_connection_send_with_reply_and_block(connection, hello, DBUS_TIMEOUT_INFINITE, &error)
                  : nullptr;
        answered = reply != nullptr;
        if (reply)
            dbus_message_unref(reply);
        if (hello)
            dbus_message_unref(hello);
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
    dbus_error_free(&error);
    return answered;
}

}  // namespace

// Shared with the asking thread, which may outlive the probe.
struct SessionBusProbe::State {
    std::mutex mutex;
    std::condition_variable changed;
    Answer answer = Answer::pending;
    QPointer<QObject> context;
    std::function<void()> answered;

    void finish(Answer result)
    {
        const std::lock_guard lock(mutex);
        answer = result;
        changed.notify_all();
        if (result == Answer::answered && answered)
            handOver();
    }
    // Under the mutex. The weak pointer is only looked at on the main thread.
    void handOver()
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [context = context, answered = std::exchange(answered, nullptr)] {
                if (context)
                    answered();
            },
            Qt::QueuedConnection);
    }
};

SessionBusProbe::SessionBusProbe() : address_(sessionBusAddress()), state_(std::make_shared<State>())
{
    dbus_threads_init_default();
    std::thread([state = state_, address = address_.toUtf8()] {
        state->finish(busAnswers(address) ? Answer::answered : Answer::absent);
    }).detach();
}

SessionBusProbe::~SessionBusProbe()
{
    // An answer that comes after this calls back nobody.
    const std::lock_guard lock(state_->mutex);
    state_->answered = nullptr;
}

SessionBusProbe::Answer SessionBusProbe::waitForAnswer(std::chrono::milliseconds deadline) const
{
    std::unique_lock lock(state_->mutex);
    state_->changed.wait_for(lock, deadline, [this] { return state_->answer != Answer::pending; });
    return state_->answer;
}

void SessionBusProbe::whenAnswered(QObject* context, std::function<void()> answered)
{
    const std::lock_guard lock(state_->mutex);
    state_->context = context;
    state_->answered = std::move(answered);
    if (state_->answer == Answer::answered)
        state_->handOver();
}

void keepQtOffTheSessionBus()
{
    // An address of no known kind: libdbus refuses it without connecting.
    qputenv(addressVariable, "disabled:");
}

}  // namespace moravel
