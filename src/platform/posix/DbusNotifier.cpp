// Freedesktop notifications (org.freedesktop.Notifications.Notify) through
// libdbus. cron names no session bus in its environment, but a user who is
// logged in has one at /run/user/<uid>/bus.
#include <dbus/dbus.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/Notifier.h"

namespace qm::platform {
namespace {

std::string sessionBusAddress() {
    if (const char* named = std::getenv("DBUS_SESSION_BUS_ADDRESS"); named && *named) return named;
    const std::string socket = "/run/user/" + std::to_string(::getuid()) + "/bus";
    struct stat info {};
    if (::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) return "unix:path=" + socket;
    return {};
}

// libdbus refuses (and may abort on) a string that is not UTF-8: such a
// text keeps its ASCII alone, the rest "?". Servers may read the body as
// markup, so its special characters are written as entities.
std::string cleanText(const std::string& text, bool markup) {
    const bool utf8 = dbus_validate_utf8(text.c_str(), nullptr);
    std::string out;
    for (const char c : text) {
        if (!utf8 && static_cast<unsigned char>(c) >= 0x80)
            out += '?';
        else if (markup && c == '&')
            out += "&amp;";
        else if (markup && c == '<')
            out += "&lt;";
        else if (markup && c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

class DbusNotifier final : public Notifier {
public:
    bool notify(const std::string& summary, const std::string& body, std::string& why) override {
        const std::string address = sessionBusAddress();
        if (address.empty()) {
            why.clear();
            return false;
        }
        DBusError error;
        dbus_error_init(&error);
        DBusConnection* bus = dbus_connection_open_private(address.c_str(), &error);
        if (!bus) return failed(error, why);
        // A bus that goes away must not end this program.
        dbus_connection_set_exit_on_disconnect(bus, FALSE);
        bool sent = false;
        if (dbus_bus_register(bus, &error)) sent = call(bus, summary, body, error);
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
        return sent || failed(error, why);
    }

private:
    static bool failed(DBusError& error, std::string& why) {
        why = std::string("the desktop notification cannot be sent: ") +
              (dbus_error_is_set(&error) && error.message ? error.message : "out of memory");
        dbus_error_free(&error);
        return false;
    }

    static bool call(DBusConnection* bus, const std::string& summary, const std::string& body, DBusError& error) {
        DBusMessage* message =
            dbus_message_new_method_call("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                         "org.freedesktop.Notifications", "Notify");
        if (!message) return false;
        const std::string cleanSummary = cleanText(summary, false), cleanBody = cleanText(body, true);
        const char* appName = "Quillmark";
        const char* icon = "quillmark";
        const char* summaryText = cleanSummary.c_str();
        const char* bodyText = cleanBody.c_str();
        const dbus_uint32_t replaces = 0;
        const dbus_int32_t timeout = -1;  // the server's own
        DBusMessageIter args, actions, hints, entry, variant;
        dbus_message_iter_init_append(message, &args);
        const unsigned char critical = 2;
        const char* urgency = "urgency";
        bool built = dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &appName) &&
                     dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &replaces) &&
                     dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &icon) &&
                     dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &summaryText) &&
                     dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &bodyText) &&
                     dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &actions) &&
                     dbus_message_iter_close_container(&args, &actions) &&
                     dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &hints);
        // Critical: it stays until the user has seen it.
        built = built && dbus_message_iter_open_container(&hints, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
                dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &urgency) &&
                dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "y", &variant) &&
                dbus_message_iter_append_basic(&variant, DBUS_TYPE_BYTE, &critical) &&
                dbus_message_iter_close_container(&entry, &variant) &&
                dbus_message_iter_close_container(&hints, &entry) && dbus_message_iter_close_container(&args, &hints) &&
                dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &timeout);
        DBusMessage* reply = built ? dbus_connection_send_with_reply_and_block(bus, message, 10000, &error) : nullptr;
        dbus_message_unref(message);
        if (!reply) return false;
        dbus_message_unref(reply);
        return true;
    }
};

}  // namespace

std::unique_ptr<Notifier> openNotifier() { return std::make_unique<DbusNotifier>(); }

}  // namespace qm::platform
