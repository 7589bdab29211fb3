#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The editor's window as a screen reader meets it.

    scripts/check-accessibility.py [build/bin/useropts-editor]

Starts the editor on a private virtual X server with its own D-Bus session and
accessibility bus, turns the start-up file dialog away, and prints the window's
accessibility tree as AT-SPI hands it to a screen reader: each object's role,
name and description, a choice's entry, the labels each field is labelled by,
and the actions (with their keys) an input offers. Fails when an input (text,
combo box, button, link) or a picture has no name, the window is not
announced as a named window, a part of the window is announced as a frame
of its own (the role of a window), a choice does not give its entry as its
text, or the inputs are listed in another order than the one Tab visits them
in, which the script finds by pressing Tab in the window.

Needs Debian's python3-pyatspi, at-spi2-core, dbus and xvfb; run it with
Debian's own /usr/bin/python3, which is the one that has pyatspi.
"""

import ctypes
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import time

INNER = "USEROPTS_A11Y_SESSION"
DEADLINE_SECONDS = 60
OPEN_DIALOG = "Open USEROPTS.BAT to modify"
WINDOW = "User Options Editor"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    editor = os.path.abspath(
        sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "bin", "useropts-editor"))
    if not os.access(editor, os.X_OK):
        sys.exit(f"no editor program at {editor}: build it first, or name it")
    missing = [tool for tool in ("dbus-run-session", "dbus-send", "Xvfb") if shutil.which(tool) is None]
    if not os.access("/usr/libexec/at-spi-bus-launcher", os.X_OK):
        missing.append("at-spi-bus-launcher")
    if importlib.util.find_spec("pyatspi") is None:
        missing.append(f"pyatspi for {sys.executable}")
    if missing:
        sys.exit("missing: " + ", ".join(missing) +
                 "; apt-get install python3-pyatspi at-spi2-core dbus xvfb, and run this with /usr/bin/python3")
    if os.environ.get(INNER) != "1":
        # A bus of our own: nothing of the desktop's, if there is one, is
        # touched, and everything started on it ends with it.
        env = dict(os.environ, **{INNER: "1"})
        session = subprocess.Popen(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), editor],
                                   env=env, stderr=subprocess.PIPE, text=True)
        for line in session.stderr:  # all but the private bus daemon's chatter
            if not line.startswith("dbus-daemon["):
                sys.stderr.write(line)
        return session.wait()
    with tempfile.TemporaryDirectory(prefix="a11y-check-") as scratch:
        os.chmod(scratch, 0o700)
        started = []
        try:
            return check(editor, scratch, started)
        finally:
            for process in reversed(started):
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()


def start_display(started):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    started.append(server)
    os.close(write_end)
    with os.fdopen(read_end) as answer:
        number = answer.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return ":" + number


def start_accessibility_bus(started):
    started.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    # Asked without starting it, so that the bus does not start a second one.
    probe = ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"]
    for _ in range(100):
        answer = subprocess.run(probe, capture_output=True, text=True).stdout
        if "boolean true" in answer:
            return
        time.sleep(0.1)
    sys.exit("the accessibility bus did not start")


def wait_for(what, find, deadline):
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # an object that went away while it was looked at
            found = None
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit(f"gave up waiting for {what}")


def children(node):
    try:
        return [child for child in node if child is not None]
    except Exception:
        return []


def find(node, test):
    if test(node):
        return node
    for child in children(node):
        found = find(child, test)
        if found is not None:
            return found
    return None


class Keyboard:
    """The X server's keyboard focus and keys, through Xlib and XTEST.

    With no window manager on the private display nothing activates the
    editor's window; giving it the input focus does, as a click would.
    """

    TAB = 0xFF09

    def __init__(self, display):
        x11 = ctypes.CDLL("libX11.so.6")
        self.xtest = ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 4
        x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtest.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x11 = x11
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            sys.exit(f"cannot open the display {display}")

    def focus(self, title):
        """Gives the top-level window named title the input focus; False if there is none."""
        root, parent, count = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
        kids = ctypes.POINTER(ctypes.c_ulong)()
        self.x11.XQueryTree(self.display, self.x11.XDefaultRootWindow(self.display), ctypes.byref(root),
                            ctypes.byref(parent), ctypes.byref(kids), ctypes.byref(count))
        for i in range(count.value):
            name = ctypes.c_char_p()
            if self.x11.XFetchName(self.display, kids[i], ctypes.byref(name)) and name.value == title.encode():
                self.x11.XSetInputFocus(self.display, kids[i], 2, 0)  # RevertToParent, CurrentTime
                self.x11.XSync(self.display, 0)
                return True
        return False

    def press(self, keysym):
        code = self.x11.XKeysymToKeycode(self.display, keysym)
        for down in (1, 0):
            self.xtest.XTestFakeKeyEvent(self.display, code, down, 0)
        self.x11.XSync(self.display, 0)


def check(editor, scratch, started):
    deadline = time.monotonic() + DEADLINE_SECONDS
    display = start_display(started)
    start_accessibility_bus(started)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=scratch)
    # What the editor and Qt say on the way is shown only if the check fails.
    log = open(os.path.join(scratch, "editor.log"), "w+")
    program = subprocess.Popen([editor], cwd=scratch, env=env, stdout=log, stderr=subprocess.STDOUT)
    started.append(program)
    failed = check_tree(program, Keyboard(display), deadline)
    if failed:
        log.seek(0)
        sys.stdout.write("\nThe editor's own output:\n" + log.read())
    return failed


def check_tree(program, keyboard, deadline):
    pyatspi = pyatspi_module()
    top = editor_window(program, deadline)
    faults, named = describe_tree(top)
    if top.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW) or top.name != WINDOW:
        faults.append(f"the window is announced as {top.getRoleName()} {quoted(top.name)}, "
                      f"not as the window {quoted(WINDOW)}")
    listed, visited = tab_order(top, keyboard, deadline)
    print("\nTab visits: " + ", ".join(visited))
    if visited != listed:
        faults.append("the inputs are listed as " + ", ".join(listed) + "; Tab visits them as " + ", ".join(visited))
    print()
    if faults:
        for fault in faults:
            print("FAIL:", fault)
        return 1
    print(f"OK: {named} inputs and pictures, each with a name; the window is a named {top.getRoleName()} "
          f"with no window inside; every choice gives its entry; Tab visits the {len(visited)} inputs "
          "in the order listed")
    return 0


def pyatspi_module():
    import pyatspi  # only when asked: it reaches the accessibility bus when imported
    return pyatspi


def quoted(text):
    return '"' + text.replace("\n", " ") + '"'


def editor_window(program, deadline):
    """The editor's window once the start-up file dialog is turned away."""

    pyatspi = pyatspi_module()

    desktop = pyatspi.Registry.getDesktop(0)

    def application():
        for app in children(desktop):
            if app.get_process_id() == program.pid:
                return app
        return None

    app = wait_for("the editor on the accessibility bus", application, deadline)

    # Start-up asks for a settings file first; turning it away leaves the
    # defaults in the window, as a user who cancels sees it.
    def cancel_button():
        dialog = find(app, lambda n: n.name == OPEN_DIALOG and n.getRole() == pyatspi.ROLE_DIALOG)
        if dialog is None:
            return None
        return find(dialog, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "Cancel")

    cancel = wait_for("the start-up file dialog", cancel_button, deadline)
    cancel.queryAction().doAction(0)

    def window():
        if find(app, lambda n: n.name == OPEN_DIALOG) is not None:
            return None
        for top in children(app):
            if top.getState().contains(pyatspi.STATE_SHOWING):
                return top
        return None

    top = wait_for("the editor window", window, deadline)
    # The defaults are filled in once the dialog has closed.
    wait_for("the settings to be filled in",
             lambda: find(top, lambda n: n.getRole() == pyatspi.ROLE_TEXT and n.queryText().characterCount > 0),
             deadline)
    return top


def describe_tree(top):
    """Prints the tree below top; the faults found in it, and how many inputs
    and pictures have a name."""

    pyatspi = pyatspi_module()
    inputs = {pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX,
              pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
              pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_LINK}
    faults = []
    named = 0

    def describe(node, depth):
        nonlocal named
        role = node.getRole()
        line = "  " * depth + f"{node.getRoleName()} {quoted(node.name)}"
        if role == pyatspi.ROLE_COMBO_BOX:
            try:  # where a screen reader reads the entry of a choice
                entry = node.queryText()
                line += f" = {quoted(entry.getText(0, entry.characterCount))}"
            except NotImplementedError:
                faults.append(f"the choice {quoted(node.name)} gives no entry as its text")
                line += "   <-- NO ENTRY"
        if depth > 0 and role in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW):
            faults.append(f"{node.getRoleName()} {quoted(node.name)} inside the window, as if a window of its own")
            line += "   <-- A WINDOW IN THE WINDOW"
        if node.description:
            line += f" -- {quoted(node.description)}"
        labels = [target.name for relation in node.getRelationSet()
                  if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                  for target in (relation.getTarget(i) for i in range(relation.getNTargets()))]
        if labels:
            line += " [labelled by " + ", ".join(quoted(label) for label in labels) + "]"
        try:
            action = node.queryAction()
            actions = []
            for i in range(action.nActions):
                binding = action.getKeyBinding(i)
                actions.append(action.getName(i) + (f" ({binding})" if binding else ""))
            if actions and role in inputs:
                line += " {actions: " + ", ".join(actions) + "}"
        except NotImplementedError:
            pass
        if role in inputs or role == pyatspi.ROLE_IMAGE:
            if node.name.strip():
                named += 1
            else:
                faults.append(f"{node.getRoleName()} without a name")
                line += "   <-- NO NAME"
        print(line)
        kids = children(node)
        if role == pyatspi.ROLE_LIST:
            # A choice's list: what is chosen, not every entry.
            chosen = [kid.name for kid in kids if kid.getState().contains(pyatspi.STATE_SELECTED)]
            print("  " * (depth + 1) + f"{len(kids)} entries, selected: " + ", ".join(quoted(c) for c in chosen))
            return
        for kid in kids:
            describe(kid, depth + 1)

    describe(top, 0)
    return faults, named


def tab_order(top, keyboard, deadline):
    """The inputs Tab can reach in the order the tree lists them, and the
    order Tab visits them in from the one that has the focus at the start,
    which is the first; each as its role and name."""

    pyatspi = pyatspi_module()

    def named(node):
        return f"{node.getRoleName()} {quoted(node.name)}"

    def reachable(node, found):
        state = node.getState()
        role = node.getRole()
        if role in (pyatspi.ROLE_TEXT, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_PUSH_BUTTON):
            if state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SENSITIVE):
                found.append(named(node))
            return found  # a choice's list and edit line are the choice
        for kid in children(node):
            reachable(kid, found)
        return found

    def focused():
        node = find(top, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))
        return None if node is None else named(node)

    listed = reachable(top, [])
    if not keyboard.focus(WINDOW):
        sys.exit("the editor's window is not on the display")
    first = wait_for("the focus in the window", focused, deadline)
    visited = [first]
    for _ in range(len(listed) - 1):
        keyboard.press(Keyboard.TAB)
        visited.append(wait_for("the focus to move on", lambda: focused() if focused() != visited[-1] else None,
                                deadline))
    return listed, visited


if __name__ == "__main__":
    sys.exit(main())
