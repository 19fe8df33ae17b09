#pragma once
// Dialog templates, menus and strings as data (res/templates/*.json, compiled
// into the program), and the one builder that turns a template into widgets.
//
// Positions are dialog units and are scaled by the dialog font as Windows does:
// x and widths by the font's average character width / 4, y and heights by its
// height / 8, so the layout keeps its proportions whatever the font. A menu bar
// stands above the template's client area. Control styles use the Windows names
// ("BS_DEFPUSHBUTTON", "WS_TABSTOP", ...); a control is visible unless its style
// says "NOT WS_VISIBLE". The first control of a template lies on top, as on Windows.

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <map>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QMenuBar;
class QWidget;

namespace zentory::qt {

struct ControlTemplate {
    int id = -1;           // -1: a static without an id of its own
    std::string className; // "button", "static", "combobox", "SysListView32"
    QString text;
    int icon = 0; // for SS_ICON statics: the icon resource shown
    QRect rect;   // dialog units
    std::vector<std::string> styles;

    bool has(const std::string& style) const;
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    int fontPoints = 8;
    QSize size; // of the client area, dialog units
    std::vector<std::string> styles;
    int menu = 0; // 0: none
    std::vector<ControlTemplate> controls;
};

struct MenuItemTemplate {
    int id = 0;
    QString text;
    bool separator = false;
};

struct PopupTemplate {
    QString text;
    std::vector<MenuItemTemplate> items;
};

struct MenuTemplate {
    int id = 0;
    std::vector<PopupTemplate> popups;
};

// Parsers; a template with an unknown class or style is a programming error
// and throws std::runtime_error, as does a missing resource.
DialogTemplate parseDialogTemplate(const QByteArray& json);
MenuTemplate parseMenuTemplate(const QByteArray& json);
DialogTemplate loadDialogTemplate(int id);
MenuTemplate loadMenuTemplate(int id);
// String resource `id`, empty when there is none.
QString loadString(int id);
// Icon resource `id` (ids::Icons::kProgram, the only one), rendered for the usual sizes.
QIcon loadIcon(int id);

// The font a template asks for. The Windows face is not on this platform: the
// application's own UI family stands in, at the template's point size.
QFont dialogFont(const DialogTemplate& tmpl);

// Dialog units of one font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    QRect toPixels(const QRect& dialogUnits) const;
    QSize toPixels(const QSize& dialogUnits) const;

private:
    int m_baseX = 0;
    int m_baseY = 0;
};

// The widgets of one built template.
struct BuiltDialog {
    // The client area: every control is its child, or the child of the group
    // box whose frame holds it, so that assistive technology hears it as part
    // of the group.
    QWidget* client = nullptr;
    QMenuBar* menuBar = nullptr;      // null when the template has no menu
    std::vector<QWidget*> controls;   // in template order
    std::map<int, QWidget*> byId;     // controls with an id of their own
    std::map<int, QAction*> commands; // menu items by command id
    std::vector<QMenu*> popups;       // drop-down menus, left to right
};

// Builds `tmpl` into `dialog`: caption, font, frame, menu and controls, and
// fixes the dialog's size to the client area plus the menu bar. Siblings lie
// in reading order (rows from the top, each from the left), which is the
// order assistive technology reads them in; the tab order stays the
// template's. A static with a mnemonic names the edit field or combo box
// that follows it, and Alt with its letter moves there, as on Windows.
BuiltDialog buildDialog(QDialog& dialog, const DialogTemplate& tmpl);
// Adds control `c` to a built dialog, below the controls already there, as
// if the template had it last.
QWidget* addControl(BuiltDialog& built, const ControlTemplate& c);

} // namespace zentory::qt
