// A notification server for the tests: owns org.freedesktop.Notifications
// on the session bus DBUS_SESSION_BUS_ADDRESS names, writes the app name,
// summary and body of the first Notify call it gets to OUT (one per line),
// answers it, and ends; after SECONDS without one it ends with status 1.
// Before it listens it writes "ready" to OUT.ready.
//   notify_listener OUT SECONDS
#include <dbus/dbus.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string out = argv[1];
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    if (!bus) {
        std::fprintf(stderr, "notify_listener: %s\n", error.message);
        return 2;
    }
    dbus_connection_set_exit_on_disconnect(bus, FALSE);
    if (dbus_bus_request_name(bus, "org.freedesktop.Notifications", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        std::fprintf(stderr, "notify_listener: the name is taken\n");
        return 2;
    }
    std::ofstream(out + ".ready") << "ready\n";
    while (std::chrono::steady_clock::now() < until) {
        dbus_connection_read_write(bus, 100);
        DBusMessage* message = dbus_connection_pop_message(bus);
        if (!message) continue;
        if (!dbus_message_is_method_call(message, "org.freedesktop.Notifications", "Notify")) {
            dbus_message_unref(message);
            continue;
        }
        const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
        dbus_uint32_t replaces = 0;
        if (!dbus_message_get_args(message, &error, DBUS_TYPE_STRING, &app, DBUS_TYPE_UINT32, &replaces,
                                   DBUS_TYPE_STRING, &icon, DBUS_TYPE_STRING, &summary, DBUS_TYPE_STRING, &body,
                                   DBUS_TYPE_INVALID)) {
            std::fprintf(stderr, "notify_listener: %s\n", error.message);
            return 2;
        }
        std::ofstream(out) << app << "\n" << summary << "\n" << body << "\n";
        DBusMessage* reply = dbus_message_new_method_return(message);
        const dbus_uint32_t id = 1;
        dbus_message_append_args(reply, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID);
        dbus_connection_send(bus, reply, nullptr);
        dbus_connection_flush(bus);
        dbus_message_unref(reply);
        dbus_message_unref(message);
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
        return 0;
    }
    return 1;
}
