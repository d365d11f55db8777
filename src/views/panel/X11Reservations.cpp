#include "views/panel/X11Reservations.h"

#include "views/panel/X11Properties.h"

namespace moravel {

using x11::adopt;

X11Reservations::X11Reservations(xcb_connection_t* connection, xcb_window_t root,
                                 std::function<bool(WindowId)> isOwnWindow)
    : connection_(connection), root_(root), isOwnWindow_(std::move(isOwnWindow)),
      clientListAtom_(x11::internAtom(connection, "_NET_CLIENT_LIST")),
      strutAtom_(x11::internAtom(connection, "_NET_WM_STRUT")),
      strutPartialAtom_(x11::internAtom(connection, "_NET_WM_STRUT_PARTIAL")),
      workAreaAtom_(x11::internAtom(connection, "_NET_WORKAREA")),
      currentDesktopAtom_(x11::internAtom(connection, "_NET_CURRENT_DESKTOP"))
{
}

bool X11Reservations::concerns(xcb_window_t window, xcb_atom_t property) const
{
    if (window == root_)
        return property == clientListAtom_ || property == workAreaAtom_ || property == currentDesktopAtom_ ||
               property == gtkWorkAreasAtom_;
    return property == strutPartialAtom_ || property == strutAtom_;
}

DesktopReservations X11Reservations::read()
{
    DesktopReservations reservations;
    if (const auto geometry = adopt(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr)))
        reservations.rootSize = QSize(geometry->width, geometry->height);

    const QList<quint32> desktop = x11::cardinals(
        connection_, x11::requestCardinals(connection_, root_, currentDesktopAtom_, XCB_ATOM_CARDINAL, 1));
    gtkWorkAreasAtom_ =
        x11::internAtom(connection_, QByteArray("_GTK_WORKAREAS_D") + QByteArray::number(desktop.value(0, 0)));
    const QList<quint32> gtk = x11::cardinals(
        connection_, x11::requestCardinals(connection_, root_, gtkWorkAreasAtom_, XCB_ATOM_CARDINAL, 4 * 64));
    if (!gtk.isEmpty()) {
        QList<QRect> areas;
        for (qsizetype i = 0; i + 3 < gtk.size(); i += 4)
            areas.append(QRect(int(gtk[i]), int(gtk[i + 1]), int(gtk[i + 2]), int(gtk[i + 3])));
        reservations.gtkWorkAreas = areas;
    }

    candidates_ = readCandidates();
    reservations.struts = readStruts(reservations.rootSize);
    return reservations;
}

// The windows that may reserve room: the window manager's clients, the
// root's children and theirs (docks it does not list, in its frames: i3bar
// under i3). Each level is asked for at once.
QSet<WindowId> X11Reservations::readCandidates()
{
    QSet<WindowId> candidates;
    for (quint32 id :
         x11::cardinals(connection_, x11::requestCardinals(connection_, root_, clientListAtom_, XCB_ATOM_WINDOW, 4096)))
        candidates.insert(id);
    const QList<WindowId> topLevel = childrenFrom(xcb_query_tree(connection_, root_));
    QList<xcb_query_tree_cookie_t> requests;
    for (WindowId window : topLevel)
        requests.append(xcb_query_tree(connection_, window));
    for (const xcb_query_tree_cookie_t& request : requests) {
        const QList<WindowId> inside = childrenFrom(request);
        candidates.unite(QSet<WindowId>(inside.begin(), inside.end()));
    }
    candidates.unite(QSet<WindowId>(topLevel.begin(), topLevel.end()));
    for (auto it = candidates.begin(); it != candidates.end();)
        it = isOwnWindow_(*it) ? candidates.erase(it) : std::next(it);
    return candidates;
}

QList<WindowId> X11Reservations::childrenFrom(xcb_query_tree_cookie_t request)
{
    const auto tree = adopt(xcb_query_tree_reply(connection_, request, nullptr));
    if (!tree)
        return {};
    const xcb_window_t* windows = xcb_query_tree_children(tree.get());
    return QList<WindowId>(windows, windows + xcb_query_tree_children_length(tree.get()));
}

// The struts of the shown candidates, asked for all at once.
QList<Strut> X11Reservations::readStruts(QSize rootSize)
{
    struct Requests {
        WindowId window;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t partial;
        xcb_get_property_cookie_t full;
    };
    QList<Requests> requests;
    for (WindowId window : std::as_const(candidates_))
        requests.append({window, xcb_get_window_attributes(connection_, window),
                         x11::requestCardinals(connection_, window, strutPartialAtom_, XCB_ATOM_CARDINAL, 12),
                         x11::requestCardinals(connection_, window, strutAtom_, XCB_ATOM_CARDINAL, 4)});
    QList<Strut> struts;
    overrideRedirect_.clear();
    for (const Requests& request : requests) {
        const auto attributes = adopt(xcb_get_window_attributes_reply(connection_, request.attributes, nullptr));
        const QList<quint32> partial = x11::cardinals(connection_, request.partial);
        const QList<quint32> full = x11::cardinals(connection_, request.full);
        if (attributes && attributes->override_redirect)
            overrideRedirect_.insert(request.window);
        // A panel that is not shown reserves nothing.
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        if (std::optional<Strut> strut = Strut::fromPartial(partial))
            struts.append(*strut);
        else if (std::optional<Strut> strut = Strut::fromFullEdges(full, rootSize))
            struts.append(*strut);
    }
    return struts;
}

}  // namespace moravel
