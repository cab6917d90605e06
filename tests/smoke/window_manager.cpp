// A stand-in for a window manager on the bare virtual display of the smoke tests. It does only
// what a test of minimising needs: a window that asks to be iconified (the WM_CHANGE_STATE message
// of xdotool windowminimize and of Qt's showMinimized) is marked Iconic in WM_STATE and unmapped;
// a window that gets mapped is marked Normal, which is how Qt learns that it is no longer
// minimised. Nothing is reparented, decorated, placed or focused. It prints "ready" once it
// listens and runs until the display goes away.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ICCCM's WM_STATE values.
constexpr std::uint32_t kNormalState = 1;
constexpr std::uint32_t kIconicState = 3;

xcb_atom_t intern(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void setWmState(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t wmState,
                std::uint32_t state)
{
    const std::uint32_t data[2] = {state, XCB_WINDOW_NONE};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, data);
}

} // namespace

int main()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "window_manager: cannot open the display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t *error
        = xcb_request_check(connection,
                            xcb_change_window_attributes_checked(connection, screen->root,
                                                                 XCB_CW_EVENT_MASK, &events))) {
        std::fprintf(stderr, "window_manager: cannot watch the root window\n");
        std::free(error);
        return 1;
    }
    const xcb_atom_t wmState = intern(connection, "WM_STATE");
    const xcb_atom_t changeState = intern(connection, "WM_CHANGE_STATE");
    std::puts("ready");
    std::fflush(stdout);

    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        switch (event->response_type & ~0x80) {
        case XCB_CLIENT_MESSAGE: {
            const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
            if (message->type == changeState && message->data.data32[0] == kIconicState) {
                setWmState(connection, message->window, wmState, kIconicState);
                xcb_unmap_window(connection, message->window);
            }
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto *mapped = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (!mapped->override_redirect)
                setWmState(connection, mapped->window, wmState, kNormalState);
            break;
        }
        default: // errors for windows destroyed meanwhile, and everything else
            break;
        }
        std::free(event);
        xcb_flush(connection);
    }
    xcb_disconnect(connection);
    return 0;
}
