#pragma once
// What a dialog window asks of whoever runs the program's dialogs: to know
// which are open, the busy cursor while a read runs, and to close them all
// when the session ends.

namespace zentory::win32 {

class DialogWindow;

class DialogHost {
public:
    // The open dialogs, as their procedures see them come and go.
    virtual void Remember(DialogWindow& window) = 0;
    virtual void Forget(DialogWindow& window) = 0;
    // Sets the busy cursor when one is due, for WM_SETCURSOR; false otherwise.
    virtual bool ShowBusyCursor() const = 0;
    // Closes every dialog and ends the program's loops.
    virtual void QuitAll() = 0;

protected:
    DialogHost() = default;
    ~DialogHost() = default;
    DialogHost(const DialogHost&) = default;
    DialogHost& operator=(const DialogHost&) = default;
};

} // namespace zentory::win32
