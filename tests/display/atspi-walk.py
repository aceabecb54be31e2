#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Walks a running program's windows as a screen reader sees them over AT-SPI.

atspi-walk.py PID TITLE [TIMEOUT]: waits up to TIMEOUT seconds (20) until the
application of process PID shows a window named TITLE on the accessibility
bus, then walks every showing window of it and fails, listing role and path,
on each control without an accessible name. Run as /usr/bin/python3: Debian's
python3-pyatspi is not in other interpreters' paths.
"""

import sys
import time

try:
    import pyatspi
    from gi.repository import Atspi
except ImportError as error:
    sys.exit(f"FAIL: pyatspi is missing ({error}); install python3-pyatspi and gir1.2-atspi-2.0")

# Controls a screen reader announces by name. Containers, labels, cells and
# items carry their own text and are left out.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST,
    pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SLIDER, pyatspi.ROLE_CANVAS,
    pyatspi.ROLE_PROGRESS_BAR,
}
# Their children are rows, cells and items: thousands of them in a large
# tree, and none a control of its own.
LEAVES = {
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST,
    pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_SCROLL_BAR,
}


def uncached(node):
    # The program's tree changes while it is waited for; read it afresh.
    # Only an application's root takes the mask.
    node.set_cache_mask(Atspi.Cache.NONE)
    return node


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return uncached(app)
        except Exception:  # an application leaving the bus meanwhile
            continue
    return None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def windows(app):
    found = []
    for index in range(app.childCount):
        window = app.getChildAtIndex(index)
        # Every child of the application is a top-level window, whatever
        # role the bridge gives it (a main window comes as a filler).
        if window is not None and showing(window):
            found.append(window)
    return found


def walk(node, path, unnamed, counts):
    role = node.getRole()
    here = f"{path}/{node.getRoleName()}"
    name = node.name or ""
    if name:
        here += f"[{name}]"
    # Hidden controls too (a find bar, a page not shown yet are read once
    # they show), and any focusable node whatever its role (a graphics
    # view's viewport comes as a filler).
    if role in CONTROLS or node.getState().contains(pyatspi.STATE_FOCUSABLE):
        counts[node.getRoleName()] = counts.get(node.getRoleName(), 0) + 1
        if not name.strip():
            unnamed.append(f"{node.getRoleName()}: {here}")
    if role in LEAVES:
        return
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        # A combo box's popup list is named by the combo box itself.
        if role == pyatspi.ROLE_COMBO_BOX and child is not None and child.getRole() == pyatspi.ROLE_LIST:
            continue
        if child is not None:
            walk(child, here, unnamed, counts)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: atspi-walk.py PID TITLE [TIMEOUT]")
    pid, title = int(sys.argv[1]), sys.argv[2]
    deadline = time.monotonic() + float(sys.argv[3] if len(sys.argv) == 4 else 20)
    app, shown = None, []
    while True:
        try:
            app = app or application(pid)
            shown = windows(app) if app else []
        except Exception:  # the bridge still registering its objects
            app, shown = None, []
        if any(window.name == title for window in shown):
            break
        if time.monotonic() > deadline:
            where = "no application of process %d" % pid if not app else "windows: %s" % [w.name for w in shown]
            sys.exit(f"FAIL: no window '{title}' on the accessibility bus ({where})")
        time.sleep(0.1)
    unnamed, counts = [], {}
    for window in shown:
        walk(window, "", unnamed, counts)
    for line in unnamed:
        print(f"unnamed {line}", file=sys.stderr)
    if unnamed:
        sys.exit(f"FAIL: {len(unnamed)} controls without an accessible name")
    # What was checked, so that a walk that found nothing shows as such.
    checked = ", ".join(f"{count} {role}" for role, count in sorted(counts.items()))
    print(f"walked {', '.join(window.name for window in shown)}: {checked or 'no controls'}")


if __name__ == "__main__":
    main()
