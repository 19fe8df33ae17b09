#!/usr/bin/env python3
"""The Qt window as a screen reader sees it over AT-SPI.

Runs the program in a private D-Bus session with its own accessibility bus,
reads its accessible tree with pyatspi and checks what a person who cannot
see the window hears: the list is a table named after the folder its label
shows that tells its number of files, "Step 1" and "Step 2" group their
controls in reading order, the list's cells offer no action, no hidden control is listed, each dialog is known by
its own name, the List options fields by their labels, the language box by its
group, and a folder that cannot be read is reported in a box.

Usage: accessibility_tree_test.py ZENTORY-PROGRAM DATA-FOLDER [AT-SPI-BUS-LAUNCHER]
(under an X server: the offscreen platform has no accessibility bridge).
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

WAIT_SECONDS = 15
GLib = None  # from gi.repository, once the buses are up


def start_buses(launcher_program):
    """A session bus of our own, and the accessibility bus on it."""
    bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().strip()
    launcher = subprocess.Popen([launcher_program, '--launch-immediately'],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return [launcher, bus]


def program_folder(program, data, work):
    """A copy of the program beside its data files, so that nothing the
    window writes lands in the build folder."""
    folder = os.path.join(work, 'program')
    os.mkdir(folder)
    shutil.copy(program, folder)
    for name in ('config.ini', 'zentorytrl.ini', 'help.html'):
        shutil.copy(os.path.join(data, name), folder)
    return os.path.join(folder, os.path.basename(program))


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def wait_for(find):
    """The first non-empty answer of `find` within the waiting time, or None."""
    end = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.2)
    return None


def dump(node, depth=0):
    lines = ['  ' * depth + f'[{node.getRoleName()}] {node.name!r} {node.description!r}']
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            lines += dump(child, depth + 1)
    return lines


class Window:
    """One run of the program, and what its accessible tree says."""

    def __init__(self, pyatspi, program, folder):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_ACCESSIBILITY='1',
                   QT_QPA_PLATFORM='xcb', LANG='C.UTF-8', LC_ALL='C.UTF-8', LANGUAGE='')
        self.pyatspi = pyatspi
        self.name = os.path.basename(program)
        self.process = subprocess.Popen([program, folder], env=env)

    def close(self):
        self.process.terminate()
        self.process.wait()

    def app(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == self.name:
                return app
        return None

    def dialog(self, name, holding=None):
        """The open dialog called `name` (holding a node named `holding`)."""
        def find():
            for window in walk(self.app()):
                if window.getRoleName() in ('dialog', 'alert') and window.name == name and (
                        holding is None or self.node(window, holding=holding)):
                    return window
            return None
        return wait_for(find)

    @staticmethod
    def node(within, role=None, name=None, holding=None):
        for node in walk(within):
            if (role is None or node.getRoleName() == role) and (
                    name is None or node.name == name) and (
                    holding is None or holding in node.name):
                return node
        return None

    def press(self, within, role, name):
        node = self.node(within, role, name)
        if node is None:
            return False
        try:
            node.queryAction().doAction(0)
        except GLib.GError:
            # A menu item runs its command before it answers, and a dialog's
            # command answers only once the dialog is closed.
            if role != 'menu item':
                raise
        return True


def labels_of(node):
    """The names of what labels `node`: on Linux a screen reader names a
    combo box by these, as its own name is the entry it shows."""
    if node is None:
        return None
    import pyatspi
    return [relation.getTarget(i).name for relation in node.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())]


class Checks:
    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f'{what}: {actual!r}, expected {expected!r}')

    def true(self, what, value):
        if not value:
            self.failures.append(what)


def check_read_folder(window, checks, folder):
    main = window.dialog('Orvane Zentory', holding='Read File List')
    checks.true('the main window is a dialog called "Orvane Zentory"', main)
    if not main:
        return
    table = wait_for(lambda: window.node(main, 'table', folder))
    checks.true('the list is a table named after the folder its label shows', table)
    step1 = window.node(main, 'panel', 'Step 1')
    checks.true('"Step 1" groups the list', step1 and window.node(step1, 'table', folder))
    step2 = window.node(main, 'panel', 'Step 2')
    checks.true('"Step 2" groups the save button',
                step2 and window.node(step2, 'push button', 'Save *.txt File!'))
    if step1:
        names = [step1.getChildAtIndex(i).name for i in range(step1.childCount)]
        checks.equal('"Step 1" in reading order', names,
                     [names[0], 'Include files from sub folders', 'Read File List',
                      folder + '/...', folder])
    if table:
        checks.equal('the list tells its files', table.description, 'Files in the list: 2')
        cell = window.node(table, 'table cell', 'a.txt')
        checks.true('a cell of the list is read by its name', cell)
        if cell:
            try:
                actions = [cell.queryAction().getName(i) for i in range(cell.queryAction().nActions)]
            except NotImplementedError:
                actions = []
            checks.equal('the cells offer no action of their own', actions, [])
    for hidden in ('OK', 'Abbrechen'):
        checks.true(f'no hidden button "{hidden}"',
                    window.node(main, 'push button', hidden) is None)

    checks.true('"Options" can be pressed', window.press(main, 'push button', 'Options'))
    options = window.dialog('Options')
    checks.true('the options dialog is called "Options"', options)
    if options:
        window.press(options, 'push button', 'Cancel')
        checks.true('the options dialog closes',
                    wait_for(lambda: window.node(window.app(), 'dialog', 'Options') is None))

    checks.true('"List options..." can be chosen',
                window.press(main, 'menu item', 'List options...'))
    lists = window.dialog('List options')
    checks.true('the List options dialog is called "List options"', lists)
    if lists:
        fields = [node.name for node in walk(lists) if node.getRoleName() == 'text']
        checks.equal('the fields are named by their labels', fields,
                     ['Include names like (*.jpg;*.png):', 'Exclude names like:',
                      'Sub-folder depth (empty: all):'])
        window.press(lists, 'push button', 'Cancel')
        checks.true('the List options dialog closes',
                    wait_for(lambda: window.node(window.app(), 'dialog', 'List options') is None))

    checks.true('"About..." can be chosen', window.press(main, 'menu item', 'About...'))
    about = window.dialog('About Orvane Zentory')
    checks.true('the About box is called "About Orvane Zentory"', about)
    if about:
        window.press(about, 'push button', 'OK')

    window.press(main, 'menu item', 'Language Selection')
    language = window.dialog('Language Selection')
    checks.true('the language dialog is called "Language Selection"', language)
    if language:
        checks.equal('what names the language box', labels_of(window.node(language, 'combo box')),
                     ['Please select your language'])
        window.press(language, 'push button', 'OK')


def check_missing_folder(window, checks, folder):
    text = f'The folder "{folder}" cannot be read.'
    box = window.dialog('Orvane Zentory', holding=text)
    checks.true('a folder that cannot be read is reported in a box called "Orvane Zentory"',
                box)
    main = window.dialog('Orvane Zentory', holding='Read File List')
    checks.true('the list is named after the caption again',
                main and window.node(main, 'table', 'Content of the folder:'))


def main():
    program, data = sys.argv[1], sys.argv[2]
    launcher = sys.argv[3] if len(sys.argv) > 3 else '/usr/libexec/at-spi-bus-launcher'
    # The buses, dconf and Qt keep caches and settings below the home: a
    # home of the test's own keeps the person's one as it was.
    home = tempfile.mkdtemp(prefix='zentory-atspi-home-')
    os.environ['HOME'] = home
    for name, sub in (('XDG_CACHE_HOME', '.cache'), ('XDG_CONFIG_HOME', '.config'),
                      ('XDG_DATA_HOME', '.local/share')):
        os.environ[name] = os.path.join(home, sub)
    processes = start_buses(launcher)
    try:
        # pyatspi finds the accessibility bus through the session bus it is given.
        import pyatspi
        global GLib
        from gi.repository import GLib
        # Calls that wait for a dialog's end give up soon (milliseconds).
        pyatspi.setTimeout(2000, 15000)
        checks = Checks()
        with tempfile.TemporaryDirectory() as work:
            copy = program_folder(program, data, work)
            folder = os.path.join(work, 'R&D Müller & Co')
            os.mkdir(folder)
            for name in ('a.txt', 'b&c.txt'):
                open(os.path.join(folder, name), 'w').close()
            for run, target in ((check_read_folder, folder),
                                (check_missing_folder, os.path.join(work, 'missing'))):
                window = Window(pyatspi, copy, target)
                try:
                    run(window, checks, target)
                    if checks.failures and window.app():
                        print('\n'.join(dump(window.app())))
                finally:
                    window.close()
    finally:
        for process in processes:
            process.terminate()
            process.wait()
        shutil.rmtree(home, ignore_errors=True)
    for failure in checks.failures:
        print('FAILED:', failure)
    return 1 if checks.failures else 0


if __name__ == '__main__':
    sys.exit(main())
