"""What a screen reader learns of the clock over AT-SPI: the face reads the
time it shows and is renamed at the minute, and the menu opens from the
keyboard and is driven by its actions.

Run inside dbus-run-session with the system's Python, which has the bindings:
    dbus-run-session -- /usr/bin/python3 face_accessibility.py path/to/morvatel
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from clock_harness import Session, wait_for  # noqa: E402

try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import GLib  # noqa: E402
    import pyatspi  # noqa: E402
except (ImportError, ValueError) as error:
    print("skipped: no AT-SPI bindings (%s)" % error)
    sys.exit(77)

SETTINGS = "[Morvatel 1.10]\r\nNTP_Server=127.0.0.1\r\nTimeFormat=2\r\n"
# Ten seconds before a minute, so the test sees the name change.
PINNED = "2005-06-17 13:44:50"
FACE_ROLES = (pyatspi.ROLE_STATIC, pyatspi.ROLE_LABEL)


def find(node, predicate, depth=0):
    if node is None or depth > 12:
        return None
    if predicate(node):
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), predicate, depth + 1)
        if found is not None:
            return found
    return None


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    return None


def press(item):
    actions = item.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i).lower() == "press":
            actions.doAction(i)
            return
    raise AssertionError("%s has no press action" % item.name)


def item_named(menu, start):
    for i in range(menu.childCount):
        child = menu.getChildAtIndex(i)
        if child.name.startswith(start):
            return child
    raise AssertionError("no item %s among %s" % (
        start, [menu.getChildAtIndex(i).name for i in range(menu.childCount)]))


def listen(kind, wanted, seconds, then=None):
    """Runs the event loop (key events wait for it: the bridge hands each key
    to the registry first) until an event of kind for which wanted(event)
    holds, or seconds have passed. then() runs once the loop is listening.
    Returns the sources of the matching events."""
    heard = []

    def on_event(event):
        if wanted(event):
            heard.append(event.source)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_event, kind)
    if then is not None:
        GLib.timeout_add(500, lambda: then() and False)
    GLib.timeout_add_seconds(seconds, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_event, kind)
    return heard


def showing_menu(shown):
    return lambda event: (event.source.getRole() == pyatspi.ROLE_POPUP_MENU and
                          bool(event.detail1) == shown)


def main(program):
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
            print("FAIL:", message)

    with Session(program, SETTINGS) as s:
        clock = s.start(pinned_time=PINNED, env={
            "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        window = s.wait_window()[0]
        app = wait_for(lambda: application(clock.pid), 20)
        if app is None:
            raise AssertionError("the clock is not on the accessibility bus")
        face = wait_for(lambda: find(app, lambda n: n.getRole() in FACE_ROLES), 10)
        if face is None:
            raise AssertionError("no face in the tree")
        check(face.name == "午後 1:44", "face named %r" % face.name)
        check(face.description == "2005年(平成17年)6月17日 金曜日",
              "face described %r" % face.description)

        renamed = listen("object:property-change:accessible-name",
                         lambda event: event.source == face and face.name == "午後 1:45", 25)
        check(renamed, "not renamed at the minute: %r" % face.name)

        # A screen reader follows the focus; on the clock it lands on the face.
        focused = listen("object:state-changed:focused",
                         lambda event: event.source == face and event.detail1 == 1, 10,
                         lambda: s.x("xdotool", "windowfocus", "--sync", str(window)))
        check(focused, "the focus did not reach the face")

        def open_menu(keys):
            s.x("xdotool", "windowfocus", "--sync", str(window))
            menus = listen("object:state-changed:showing", showing_menu(True), 10,
                           lambda: s.x("xdotool", "key", keys))
            check(menus, "%s opened no menu" % keys)
            return menus[0] if menus else None

        def close_menu():
            closed = listen("object:state-changed:showing", showing_menu(False), 10,
                            lambda: s.x("xdotool", "key", "Escape"))
            check(closed, "Esc left the menu open")

        for keys in ("shift+F10", "Menu"):
            menu = open_menu(keys)
            if menu is not None:
                check(menu.childCount == 10, "menu of %d items" % menu.childCount)
                close_menu()

        # The menu's own commands, as a screen reader's user presses them.
        menu = open_menu("shift+F10")
        if menu is not None:
            press(item_named(menu, "点滅"))
            check(wait_for(lambda: s.read_settings().get("Blink") == "Yes", 5),
                  "点滅 did not turn blinking on: %r" % s.read_settings())
            # An item pressed through its action leaves the menu open.
            close_menu()
        menu = open_menu("shift+F10")
        if menu is not None:
            press(item_named(menu, "終了"))
            try:
                clock.wait(10)
            except subprocess.TimeoutExpired:
                failures.append("終了 did not end the program")
            else:
                check(clock.returncode == 0, "ended with %s" % clock.returncode)

    if failures:
        print("%d failure(s)" % len(failures))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
