#include "views/panel/X11Properties.h"

namespace moravel::x11 {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name)
{
    const auto reply = adopt(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_get_property_cookie_t requestCardinals(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                           xcb_atom_t type, uint32_t count)
{
    return xcb_get_property(connection, 0, window, property, type, 0, count);
}

QList<quint32> cardinals(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = adopt(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return QList<quint32>(values, values + count);
}

QByteArray text(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    const auto reply = adopt(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr));
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

}  // namespace moravel::x11
