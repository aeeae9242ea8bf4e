#!/usr/bin/python3
"""What a screen reader gets from the player, and a lesson done with the keyboard alone.

Starts Xvfb, a private D-Bus session and the accessibility bus, then the player on the demo
library, and reads its windows through AT-SPI as a screen reader does. Exit status 77 (skipped)
only when a tool it needs is missing.

usage: test_screenreader.py PLAYER
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
WAIT = float(os.environ.get("CP_A11Y_WAIT", "60"))  # seconds for any one condition; generous under load

# Controls a user works with; each must have a name.
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "entry", "password text",
               "combo box", "page tab", "spin button", "slider", "link", "menu item", "check menu item",
               "radio menu item", "tree item", "table cell", "list item"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def need(tool):
    path = shutil.which(tool) or (tool if os.path.exists(tool) else None)
    if not path:
        print(f"SKIP: {tool} is not installed (scripts/install-deps installs it)")
        sys.exit(SKIPPED)
    return path


class Session:
    """Xvfb, a D-Bus session bus and the accessibility bus, all private to this test."""

    def __init__(self, home):
        self.processes = []
        self.env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        self.env.update(HOME=home, XDG_CONFIG_HOME=home + "/config", XDG_CACHE_HOME=home + "/cache",
                        XDG_DATA_HOME=home + "/data", XDG_RUNTIME_DIR=home + "/run", LC_ALL="C.UTF-8",
                        NO_AT_BRIDGE="0", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QTWEBENGINE_DISABLE_SANDBOX="1",
                        QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox")
        os.makedirs(home + "/run", mode=0o700, exist_ok=True)
        read, write = os.pipe()
        self.start([need("Xvfb"), "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                   pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as display:
            self.env["DISPLAY"] = ":" + display.readline().strip()
        bus = subprocess.run([need("dbus-daemon"), "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             env=self.env, capture_output=True, text=True, check=True).stdout.split()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus[0]
        self.bus_pid = int(bus[1])
        self.start([need("/usr/libexec/at-spi-bus-launcher"), "--launch-immediately"])
        # What a screen reader says when it starts: toolkits then talk to the accessibility bus.
        for prop in ("IsEnabled", "ScreenReaderEnabled"):
            self.wait(lambda: subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:" + prop,
                 "variant:boolean:true"], env=self.env, capture_output=True).returncode == 0,
                "the accessibility bus")
        os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})

    def start(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   **kwargs)
        self.processes.append(process)
        return process

    @staticmethod
    def wait(condition, what, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                value = condition()
            except Exception:  # the tree changes under us while windows open and close
                value = None
            if value:
                return value
            time.sleep(0.2)
        raise TimeoutError("waited %d s for %s" % (timeout, what))

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        try:
            os.kill(self.bus_pid, 15)
        except (AttributeError, OSError):
            pass


def main():
    player = os.path.abspath(sys.argv[1])
    need("xdotool")
    need("dbus-send")
    home = tempfile.mkdtemp(prefix="cp-a11y-")
    session = Session(home)
    try:
        import pyatspi  # after the session exists: it connects to the bus on import
    except ImportError:
        print("SKIP: python3-pyatspi is not installed (scripts/install-deps installs it)")
        session.close()
        return SKIPPED
    try:
        Run(session, player, pyatspi, home)
    finally:
        session.close()
        shutil.rmtree(home, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


class Reader:
    """The accessible tree of one application, as a screen reader walks it."""

    def __init__(self, pyatspi, app):
        self.pyatspi = pyatspi
        self.app = app

    def role(self, node):
        return node.getRoleName()

    def showing(self, node):
        states = node.getState()
        return states.contains(self.pyatspi.STATE_SHOWING) and states.contains(self.pyatspi.STATE_VISIBLE)

    def walk(self, node, depth=0, limit=60, hidden=False):
        """Every showing descendant of node (node included); with hidden, those scrolled out of
        view too, as a screen reader reads a whole page."""
        if node is None or depth > limit:
            return
        yield node
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None and (hidden or self.showing(child)):
                yield from self.walk(child, depth + 1, limit, hidden)

    def frames(self):
        return [self.app.getChildAtIndex(i) for i in range(self.app.childCount)]

    def frame(self, title):
        for frame in self.frames():
            if frame is not None and title in (frame.name or "") and self.showing(frame):
                return frame
        return None

    def find(self, root, role, name=None):
        for node in self.walk(root):
            if self.role(node) == role and (name is None or name in (node.name or "")):
                return node
        return None

    def focused_all(self):
        """Every object that says it has the focus (a tree's item may say so a while after)."""
        found = []
        for frame in self.frames():
            if frame is None or not self.showing(frame):
                continue
            for node in self.walk(frame):
                if node.getState().contains(self.pyatspi.STATE_FOCUSED):
                    found.append(node)
        return found

    def focused(self):
        """The innermost focused object: the tab rather than its strip, the item rather than its tree."""
        found = self.focused_all()
        return found[-1] if found else None


def Count(reader, frame, label, table):
    """Visible interactive objects of frame, and those without a name."""
    # A page's list items and table cells hold its text: only its links and fields are controls.
    interactive = [n for n in reader.walk(frame) if reader.role(n) in INTERACTIVE
                   and not (reader.role(n) in ("list item", "table cell") and InPage(reader, n))]
    unnamed = [n for n in interactive if not (n.name or "").strip()]
    table.append((label, len(interactive), len(unnamed)))
    check(not unnamed, "%s: unnamed controls: %s" % (
        label, ", ".join(sorted({reader.role(n) for n in unnamed}))))
    return interactive


def InPage(reader, node):
    for _ in range(30):
        node = node.parent
        if node is None:
            return False
        if reader.role(node) in ("document web", "document frame"):
            return True
    return False


def Keys(session, *keys):
    for key in keys:
        subprocess.run(["xdotool", "key", "--clearmodifiers", key], env=session.env, check=True)
        time.sleep(0.15)  # a key's own round trip; every outcome is waited for as a condition


def Run(session, player, pyatspi, home):
    library = os.path.dirname(player)
    saved = os.path.join(home, "lesson.sff")
    process = session.start([player, library])
    desktop = pyatspi.Registry.getDesktop(0)

    def application():
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name in ("courseplayer", "Проигрыватель учебных курсов"):
                return app
        return None

    reader = Reader(pyatspi, session.wait(application, "the player on the accessibility bus"))
    table = []

    # --- the catalogue -----------------------------------------------------------------------
    catalogue = session.wait(lambda: reader.frame("учебных курсов") or reader.frame("Каталог"), "the catalogue")
    check(reader.role(catalogue) in ("frame", "window"),
          "the catalogue is a window, not a %s" % reader.role(catalogue))
    tabs = session.wait(lambda: reader.find(catalogue, "page tab list"), "the subject tabs")
    check((tabs.name or "").strip(), "the subject tab strip has a name")
    subjects = [tabs.getChildAtIndex(i) for i in range(tabs.childCount)]
    subjects = [t for t in subjects if t is not None and reader.role(t) == "page tab"]
    check(len(subjects) >= 2 and all(t.name for t in subjects), "one named page tab per subject")
    check(sum(t.getState().contains(pyatspi.STATE_SELECTED) for t in subjects) == 1,
          "exactly one subject tab is selected")
    Count(reader, catalogue, "Каталог", table)
    for button in reader.walk(catalogue):
        if reader.role(button) == "push button":
            check("<" not in (button.description or ""), "course button descriptions carry no tags")

    # Keyboard only: the search window and back, to the subject tabs, the next subject and back,
    # into its first course.
    Focus(session, "^Проигрыватель учебных курсов$")
    Keys(session, "ctrl+shift+f")
    search = session.wait(lambda: reader.frame("Поиск"), "the search window")
    check(reader.role(search) in ("frame", "window"), "the search window is a window, not a %s" % reader.role(search))
    Focus(session, "Поиск")
    Keys(session, "x")  # the clear button shows only with text in the field
    session.wait(lambda: reader.find(search, "push button", "Очистить"), "the named clear button")
    Count(reader, search, "Поиск", table)
    Keys(session, "Escape")
    session.wait(lambda: reader.frame("Поиск") is None, "Esc to close the search window")
    Focus(session, "^Проигрыватель учебных курсов$")
    first = subjects[0].name
    session.wait(lambda: Tab(session, reader, lambda n: reader.role(n) == "page tab"), "focus on the subject tabs")
    Keys(session, "Right")
    session.wait(lambda: not subjects[0].getState().contains(pyatspi.STATE_SELECTED), "the next subject")
    Keys(session, "Left")
    session.wait(lambda: subjects[0].getState().contains(pyatspi.STATE_SELECTED), "the first subject again")
    check(reader.focused().name == first, "the focus names the subject tab")
    course = session.wait(lambda: Tab(session, reader, lambda n: reader.role(n) == "push button"
                                      and "Алгебра" in (n.name or "")), "focus on the course")
    Keys(session, "Return")

    # --- the viewer --------------------------------------------------------------------------
    viewer = session.wait(lambda: reader.frame("Алгебра"), "the viewer")
    Focus(session, "Алгебра")
    tree = session.wait(lambda: reader.find(viewer, "tree table") or reader.find(viewer, "tree"), "the course tree")
    check(tree.name == "Оглавление", "the course tree is named: %r" % tree.name)
    # The page has the focus; Ctrl+L goes to the tree's filter box, Down from there into the tree.
    Keys(session, "ctrl+l", "Down")
    session.wait(lambda: reader.role(reader.focused()) in ("tree", "tree table", "table cell", "tree item"),
                 "focus in the tree")
    Keys(session, "Down")
    item = session.wait(lambda: reader.focused() if reader.role(reader.focused()) in ("tree item", "table cell")
                        else None, "a focused tree item")
    check(item.name == "Глава 1. Выражения", "the first Down picks the first item, named plainly: %r" % item.name)
    items = [n for n in reader.walk(tree) if reader.role(n) in ("tree item", "table cell")]
    check(items and all(n.name and "<" not in n.name for n in items), "tree items are named without markup")
    # Qt 6.4's bridge sends no object attributes, so the level travels as the description.
    check(item.description == "уровень 1", "a chapter's level: %r" % item.description)
    # Into the first lesson: its page has the hint link.
    Keys(session, "Right", "Down")
    item = session.wait(lambda: reader.focused() if (reader.focused().name or "") == "Числовые выражения"
                        else None, "the first lesson")
    check(item.description == "уровень 2", "a lesson's level: %r" % item.description)
    page = session.wait(lambda: Document(reader, viewer, "степень"), "the lesson's page with its links")
    links = [n for n in reader.walk(page) if reader.role(n) == "link"]
    check(links and all((n.name or "").strip() for n in links), "the page's links are named")
    check(reader.find(page, "heading") is not None, "the page's heading is exposed")
    Count(reader, viewer, "Просмотр курса", table)

    # The hint from the page, by keyboard: Tab to its link, Enter; Esc closes it.
    session.wait(lambda: Tab(session, reader, lambda n: reader.role(n) == "link" and n.name == "степень",
                             tries=40), "focus on the hint link")
    Keys(session, "Return")
    hint = session.wait(lambda: reader.frame("Подсказка"), "the hint window")
    Focus(session, "^Подсказка$")
    session.wait(lambda: Document(reader, hint, None, "heading"), "the hint's page with its heading")
    Count(reader, hint, "Подсказка", table)
    Keys(session, "Escape")
    session.wait(lambda: reader.frame("Подсказка") is None, "Esc to close the hint")
    Focus(session, "Алгебра")

    # To the collection: the tree's item, then the menu bar by F10 and the letters of its menus.
    Keys(session, "alt+Left")  # back in the page, harmless here: the keys reach the window
    Keys(session, "ctrl+l", "Down")
    session.wait(lambda: reader.role(reader.focused()) in ("table cell", "tree item"), "focus back in the tree")
    # F10, then the next menu; an entry is chosen by the arrows, the menu showing which is active.
    Focus(session, "Алгебра")
    Choose(session, reader, "Добавить в подборку")
    Choose(session, reader, "Редактировать подборку")

    # --- the collection editor ---------------------------------------------------------------
    editor = session.wait(lambda: reader.frame("Подборк"), "the collection editor")
    Focus(session, "^Подборки")
    rows = session.wait(lambda: [n for n in reader.walk(editor) if reader.role(n) in ("tree item", "table cell")
                                 and "Числовые выражения" in (n.name or "")], "the added row")
    check(all("$" not in n.name and "<" not in n.name for n in rows), "rows are named by their cells: %r" % rows[0].name)
    headers = [n.name for n in reader.walk(editor) if reader.role(n) == "table column header"]
    check(headers[:2] == ["Элемент", "Раздел"], "the list's column headers: %r" % headers)
    # One cell per column, in a table whose columns carry the headers' captions.
    grid = reader.find(editor, "tree table") or reader.find(editor, "tree")
    grid = grid.queryTable()
    check(grid.nColumns == 2 and [grid.getColumnHeader(c).name for c in range(grid.nColumns)] == headers[:2],
          "the list is a table of two columns under their headers")
    cells = [[grid.getAccessibleAt(r, c).name for c in range(grid.nColumns)] for r in range(grid.nRows)]
    check(["Числовые выражения", "Учебный курс"] in cells, "the row's cells, one per column: %r" % cells)
    Count(reader, editor, "Редактор подборки", table)
    Keys(session, "ctrl+s")
    dialog = session.wait(lambda: reader.find(reader.app, "file chooser") or reader.frame("Сохран"), "the save dialog")
    Focus(session, "^Сохранение подборки$")
    session.wait(lambda: reader.role(reader.focused()) in ("text", "entry"), "the file name field")
    Keys(session, "ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "20", saved], env=session.env, check=True)
    Keys(session, "Return")
    session.wait(lambda: os.path.exists(saved), "the collection saved by Ctrl+S")
    session.wait(lambda: reader.find(reader.app, "file chooser") is None and not reader.frame("Сохран"),
                 "the save dialog closed")
    Focus(session, "^Подборки")

    # The presentation, from the editor's menu: its page, then Esc.
    Choose(session, reader, "Показать подборку", menu=0)
    PageWindow(session, reader, "Подборка учебных материалов", "Подборка учебных материалов", "Показ подборки",
               table)

    Focus(session, "^Подборки")
    Keys(session, "Escape")
    session.wait(lambda: reader.frame("Подборк") is None, "Esc to close the editor")

    # --- the test window, from a page's link ---------------------------------------------------
    Focus(session, "Алгебра")
    Choose(session, reader, "Теоретические материалы", menu=2)
    Keys(session, "ctrl+l", "Down")
    session.wait(lambda: reader.role(reader.focused()) in ("table cell", "tree item"), "focus in the section's tree")
    for _ in range(3):
        if (reader.focused().name or "").startswith("Многочлены"):
            break
        Keys(session, "Down")
    session.wait(lambda: Document(reader, viewer, "Проверь себя"), "the page with the test link")
    session.wait(lambda: Tab(session, reader, lambda n: reader.role(n) == "link" and n.name == "Проверь себя",
                             tries=40), "focus on the test link")
    Keys(session, "Return")
    # Its link sits below the task frames, out of view: still in the page for a screen reader.
    # Its tasks' answer fields come with their frames, each named by its label.
    PageWindow(session, reader, "Тест", "Выполнение заданий", "Тест", table, "Как выполнять задания", True)

    print("Window | Interactive objects | Unnamed")
    for label, interactive, unnamed in table:
        print("%s | %d | %d" % (label, interactive, unnamed))
    process.terminate()


def ActiveMenuItem(reader):
    """The active entry of the open menu: a focused menu item below the menu bar's own."""
    def below(node, depth):
        for i in range(node.childCount if depth < 4 else 0):
            child = node.getChildAtIndex(i)
            if child is None:
                continue
            if (depth >= 1 and reader.role(child) == "menu item"
                    and child.getState().contains(reader.pyatspi.STATE_FOCUSED)):
                return child
            found = below(child, depth + 1)
            if found is not None:
                return found
        return None
    for frame in reader.frames():
        if frame is not None and reader.showing(frame):
            bar = reader.find(frame, "menu bar")
            found = bar and below(bar, 0)
            if found:
                return found
    return None


def Choose(session, reader, entry, menu=1):
    """Opens menu number `menu` of the window's menu bar by F10 and Right (the viewer's Подборки by
    default) and runs its entry by the arrows."""
    # The first menu opens with no entry active; moving to another one activates its first entry.
    Keys(session, "F10", *(["Right"] * menu or ["Down"]))
    for _ in range(10):
        active = session.wait(lambda: ActiveMenuItem(reader), "an open menu")
        if (active.name or "") == entry:
            Keys(session, "Return")
            return
        Keys(session, "Down")
        time.sleep(0.3)
    check(False, "the menu entry %s by the keyboard" % entry)
    Keys(session, "Escape", "Escape")


def Focus(session, title):
    """Gives the keyboard to the window titled so, as a window manager does when a window opens."""
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", title, "windowfocus", "--sync"],
                   env=session.env, check=True, timeout=WAIT, capture_output=True)


def Tab(session, reader, wanted, tries=20):
    """Presses Tab until the focused object is wanted; returns it, or None."""
    for _ in range(tries):
        for focused in reader.focused_all():
            if wanted(focused):
                return focused
        Keys(session, "Tab")
    return None


def PageWindow(session, reader, title, heading, label, table, link=None, fields=False):
    """A page window opened by the last key: waits for it, checks its page and names, closes it with Esc."""
    frame = session.wait(lambda: reader.frame(title), "the window %s" % title)
    Focus(session, "^%s$" % title)
    Page(session, reader, frame, heading, link, fields)
    Count(reader, frame, label, table)
    Keys(session, "Escape")
    session.wait(lambda: reader.frame(title) is None, "Esc to close %s" % title)


def Page(session, reader, frame, heading, link, fields=False):
    """Waits for frame's page to show its heading and the named link (None: its heading alone),
    and with fields for its form fields; checks every link and field is named."""
    page = session.wait(lambda: Document(reader, frame, link) if link else Document(reader, frame, heading, "heading"),
                        "the page of %s with %s" % (frame.name, link or heading))
    check(reader.find(page, "heading", heading) is not None, "%s: the page's heading %s" % (frame.name, heading))
    links = [n for n in reader.walk(page, hidden=True) if reader.role(n) == "link"]
    check(all((n.name or "").strip() for n in links), "%s: the page's links are named" % frame.name)
    def Fields():
        return [n for n in reader.walk(page, hidden=True)
                if n.getState().contains(reader.pyatspi.STATE_EDITABLE) and reader.role(n) in ("text", "entry")]
    found = session.wait(Fields, "the fields of %s" % frame.name) if fields else Fields()
    check(all((n.name or "").strip() for n in found), "%s: the page's fields are named: %r" % (
        frame.name, [n.name for n in found]))


def Document(reader, frame, name, role="link"):
    """The page document of frame once it holds an object of role with that name (any name: None)."""
    for node in reader.walk(frame):
        if reader.role(node) in ("document web", "document frame"):
            if any(reader.role(n) == role and (name is None or n.name == name)
                   for n in reader.walk(node, hidden=True)):
                return node
    return None


if __name__ == "__main__":
    sys.exit(main())
