#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QList>

#include <cstdlib>
#include <memory>

namespace moravel::x11 {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> adopt(Reply* reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name);

// A property of 32-bit values (CARDINAL, WINDOW, ATOM...), from a request
// already sent; empty when the window or the property is missing.
QList<quint32> cardinals(xcb_connection_t* connection, xcb_get_property_cookie_t cookie);
xcb_get_property_cookie_t requestCardinals(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                           xcb_atom_t type, uint32_t count);
// A text property (UTF8_STRING or STRING) of up to 256 bytes.
QByteArray text(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property);

}  // namespace moravel::x11
