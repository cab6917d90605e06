#!/bin/sh
# private_keyring.sh PROGRAM [ARGUMENTS...]: runs a test program on a D-Bus session bus of its own
# with a GNOME keyring of its own, unlocked, all in a temporary home that is removed afterwards, so
# that no test reads or writes the user's keyring. Suites whose names end in "WithoutKeyring"
# (--gtest_filter=<suite>.*) get no session bus at all instead, as on a machine without a desktop.
set -eu

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" MARLOWIN_PRIVATE_KEYRING=1
# QtKeychain picks KWallet on a KDE desktop; the tests use the Secret Service.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION KDE_SESSION_VERSION \
    GNOME_DESKTOP_SESSION_ID GNOME_KEYRING_CONTROL DISPLAY WAYLAND_DISPLAY

status=0
case "$*" in
*WithoutKeyring.\**)
    DBUS_SESSION_BUS_ADDRESS="unix:path=$home/run/no-bus" "$@" || status=$?
    ;;
*)
    # The daemon makes the login keyring with this password, unlocked, and ends with the bus. It
    # returns before it has taken its name on the bus; the program starts once it has, as a
    # program started by the session would find it.
    dbus-run-session -- sh -c '
        printf test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
        tries=0
        until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
                org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets |
            grep -q "boolean true"; do
            tries=$((tries + 1))
            if [ "$tries" -gt 200 ]; then
                echo "private_keyring.sh: the keyring did not come up" >&2
                exit 1
            fi
            sleep 0.05
        done
        exec "$@"' sh "$@" || status=$?
    ;;
esac
exit "$status"
