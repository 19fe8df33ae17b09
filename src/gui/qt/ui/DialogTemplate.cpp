#include "ui/DialogTemplate.h"

#include "ResourceIds.h"
#include "ui/ControlText.h"
#include "ui/ElidingLabel.h"
#include "ui/ReportView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>
#include <stdexcept>

// The resources live in the static GUI library; naming their initialiser here
// keeps the linker from dropping them. It must stand outside any namespace.
static void initZentoryResources() {
    Q_INIT_RESOURCE(zentory);
}

namespace zentory::qt {

namespace {

const std::map<std::string, std::set<std::string>>& knownStyles() {
    static const std::map<std::string, std::set<std::string>> styles = {
        {"button", {"BS_PUSHBUTTON", "BS_DEFPUSHBUTTON", "BS_AUTOCHECKBOX", "BS_GROUPBOX"}},
        {"static", {"SS_LEFT", "SS_NOPREFIX", "SS_ICON", "SS_PATHELLIPSIS"}},
        {"combobox", {"CBS_DROPDOWN", "CBS_SORT", "WS_VSCROLL"}},
        {"SysListView32", {"LVS_REPORT", "LVS_SINGLESEL", "LVS_SHOWSELALWAYS", "WS_BORDER"}},
        {"edit", {"ES_AUTOHSCROLL", "WS_BORDER"}},
    };
    return styles;
}

const std::set<std::string> kCommonStyles = {"WS_TABSTOP", "WS_GROUP", "WS_DISABLED",
                                             "NOT WS_VISIBLE"};

[[noreturn]] void fail(const QString& what) {
    throw std::runtime_error(("dialog template: " + what).toStdString());
}

QByteArray readResource(const QString& name) {
    static const bool initialised = (initZentoryResources(), true);
    (void)initialised;
    QFile file(u":/"_qs + name);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(u"no resource "_qs + name);
    }
    return file.readAll();
}

QJsonObject parseObject(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(u"bad JSON: "_qs + error.errorString());
    }
    return doc.object();
}

std::vector<std::string> stringList(const QJsonValue& value) {
    std::vector<std::string> list;
    for (const auto& item : value.toArray()) {
        list.push_back(item.toString().toStdString());
    }
    return list;
}

QRect rectOf(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    if (a.size() != 4) {
        fail(u"a rect needs x, y, width and height"_qs);
    }
    return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
}

ControlTemplate parseControl(const QJsonObject& o) {
    ControlTemplate c;
    c.id = o.value(u"id").toInt(-1);
    c.className = o.value(u"class").toString().toStdString();
    c.text = o.value(u"text").toString();
    c.icon = o.value(u"icon").toInt(0);
    c.rect = rectOf(o.value(u"rect"));
    c.styles = stringList(o.value(u"style"));
    auto known = knownStyles().find(c.className);
    if (known == knownStyles().end()) {
        fail(u"unknown control class "_qs + QString::fromStdString(c.className));
    }
    for (const auto& style : c.styles) {
        if (!known->second.contains(style) && !kCommonStyles.contains(style)) {
            fail(u"unknown style "_qs + QString::fromStdString(style));
        }
    }
    return c;
}

// MulDiv of Windows: the quotient rounded half away from zero.
int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

void setFocusPolicyFor(QWidget* w, const ControlTemplate& c) {
    if (c.has("WS_TABSTOP")) {
        w->setFocusPolicy(Qt::StrongFocus);
    } else if (w->focusPolicy() != Qt::NoFocus) {
        w->setFocusPolicy(Qt::ClickFocus);
    }
}

QWidget* createButton(const ControlTemplate& c, QWidget* parent) {
    if (c.has("BS_GROUPBOX")) {
        return new QGroupBox(c.text, parent);
    }
    if (c.has("BS_AUTOCHECKBOX")) {
        return new QCheckBox(c.text, parent);
    }
    auto* button = new QPushButton(c.text, parent);
    button->setDefault(c.has("BS_DEFPUSHBUTTON"));
    return button;
}

QWidget* createStatic(const ControlTemplate& c, QWidget* parent) {
    const bool elide = c.has("SS_PATHELLIPSIS");
    QLabel* label = elide ? new ElidingLabel(parent) : new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (c.has("SS_ICON")) {
        label->setPixmap(loadIcon(c.icon).pixmap(32, 32));
        return label;
    }
    label->setWordWrap(!elide);
    label->setProperty(kNoPrefixProperty, c.has("SS_NOPREFIX"));
    setControlText(label, c.text);
    return label;
}

QWidget* createListView(const ControlTemplate& c, QWidget* parent) {
    auto* view = new ReportView(parent);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(c.has("LVS_SINGLESEL") ? QAbstractItemView::SingleSelection
                                                  : QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->setProperty(kRawTextProperty, c.text);
    return view;
}

QWidget* createComboBox(const ControlTemplate& c, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(c.has("CBS_DROPDOWN"));
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (combo->isEditable()) {
        // The field keeps what is typed: no completion from the list, whose
        // matching ignores letter case.
        combo->setCompleter(nullptr);
    }
    combo->setProperty(kSortedProperty, c.has("CBS_SORT"));
    return combo;
}

// `parent` lies at `origin` of the client area.
QWidget* createControl(const ControlTemplate& c, QWidget* parent, const DialogUnits& units,
                       QPoint origin = {}) {
    QWidget* w = nullptr;
    if (c.className == "button") {
        w = createButton(c, parent);
    } else if (c.className == "static") {
        w = createStatic(c, parent);
    } else if (c.className == "combobox") {
        w = createComboBox(c, parent);
    } else if (c.className == "edit") {
        // A one-line field; it scrolls sideways as ES_AUTOHSCROLL asks.
        auto* field = new QLineEdit(parent);
        field->setFrame(c.has("WS_BORDER"));
        w = field;
    } else {
        w = createListView(c, parent);
    }
    QRect geometry = units.toPixels(c.rect).translated(-origin);
    if (c.has("SS_ICON")) {
        // An icon static takes the size of its icon.
        geometry.setSize(QSize(32, 32));
    } else if (c.className == "combobox") {
        // The template's height includes the drop-down list; the field's own
        // height follows the font.
        geometry.setHeight(w->sizeHint().height());
    }
    w->setGeometry(geometry);
    setFocusPolicyFor(w, c);
    if (c.has("WS_DISABLED")) {
        w->setEnabled(false);
    }
    if (c.has("NOT WS_VISIBLE")) {
        w->hide();
    }
    return w;
}

void buildMenu(BuiltDialog& built, const MenuTemplate& menu) {
    for (const auto& popup : menu.popups) {
        QMenu* dropDown = built.menuBar->addMenu(popup.text);
        built.popups.push_back(dropDown);
        for (const auto& item : popup.items) {
            if (item.separator) {
                dropDown->addSeparator();
                continue;
            }
            QAction* action = dropDown->addAction(item.text);
            action->setData(item.id);
            built.commands[item.id] = action;
        }
    }
}

bool contains(const QRect& outer, const QRect& inner) {
    return outer.x() <= inner.x() && outer.y() <= inner.y() &&
           inner.x() + inner.width() <= outer.x() + outer.width() &&
           inner.y() + inner.height() <= outer.y() + outer.height();
}

// The position of the smallest group box whose frame holds control `index`
// whole; -1 for a group box, a hidden control and one outside every group.
int groupOf(const DialogTemplate& tmpl, size_t index) {
    const ControlTemplate& c = tmpl.controls[index];
    if (c.has("BS_GROUPBOX") || c.has("NOT WS_VISIBLE")) {
        return -1;
    }
    int group = -1;
    for (size_t i = 0; i < tmpl.controls.size(); ++i) {
        const ControlTemplate& g = tmpl.controls[i];
        if (g.className == "button" && g.has("BS_GROUPBOX") && contains(g.rect, c.rect) &&
            (group < 0 || contains(tmpl.controls[static_cast<size_t>(group)].rect, g.rect))) {
            group = static_cast<int>(i);
        }
    }
    return group;
}

// The controls' positions in reading order: rows from the top, a row being
// the controls whose height overlaps that of its first one, each from the left.
std::vector<size_t> readingOrder(const DialogTemplate& tmpl) {
    std::vector<size_t> order(tmpl.controls.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    auto rectOf = [&](size_t i) { return tmpl.controls[i].rect; };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rectOf(a).y() < rectOf(b).y(); });
    for (size_t row = 0; row < order.size();) {
        const QRect first = rectOf(order[row]);
        size_t end = row + 1;
        while (end < order.size() && rectOf(order[end]).y() < first.y() + first.height() &&
               !tmpl.controls[order[row]].has("BS_GROUPBOX")) {
            ++end;
        }
        std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(row),
                         order.begin() + static_cast<std::ptrdiff_t>(end),
                         [&](size_t a, size_t b) { return rectOf(a).x() < rectOf(b).x(); });
        row = end;
    }
    return order;
}

// A static with a mnemonic names the edit field or combo box after it.
void pairLabels(const BuiltDialog& built, const DialogTemplate& tmpl) {
    for (size_t i = 0; i + 1 < tmpl.controls.size(); ++i) {
        const ControlTemplate& c = tmpl.controls[i];
        const std::string& next = tmpl.controls[i + 1].className;
        auto* label = qobject_cast<QLabel*>(built.controls[i]);
        if (label != nullptr && !c.has("SS_NOPREFIX") && !c.has("SS_ICON") &&
            (next == "edit" || next == "combobox")) {
            label->setBuddy(built.controls[i + 1]);
            setControlText(label, c.text);
        }
    }
}

} // namespace

bool ControlTemplate::has(const std::string& style) const {
    return std::find(styles.begin(), styles.end(), style) != styles.end();
}

DialogTemplate parseDialogTemplate(const QByteArray& json) {
    const QJsonObject o = parseObject(json);
    DialogTemplate t;
    t.id = o.value(u"dialog").toInt();
    t.caption = o.value(u"caption").toString();
    const QJsonObject font = o.value(u"font").toObject();
    t.fontPoints = font.value(u"points").toInt(8);
    const QJsonArray size = o.value(u"size").toArray();
    if (size.size() != 2) {
        fail(u"a dialog needs a size"_qs);
    }
    t.size = QSize(size[0].toInt(), size[1].toInt());
    t.styles = stringList(o.value(u"style"));
    t.menu = o.value(u"menu").toInt(0);
    for (const auto& control : o.value(u"controls").toArray()) {
        t.controls.push_back(parseControl(control.toObject()));
    }
    return t;
}

MenuTemplate parseMenuTemplate(const QByteArray& json) {
    const QJsonObject o = parseObject(json);
    MenuTemplate m;
    m.id = o.value(u"menu").toInt();
    for (const auto& p : o.value(u"popups").toArray()) {
        PopupTemplate popup;
        popup.text = p.toObject().value(u"text").toString();
        for (const auto& i : p.toObject().value(u"items").toArray()) {
            const QJsonObject item = i.toObject();
            popup.items.push_back({item.value(u"id").toInt(), item.value(u"text").toString(),
                                   item.value(u"separator").toBool()});
        }
        m.popups.push_back(std::move(popup));
    }
    return m;
}

DialogTemplate loadDialogTemplate(int id) {
    return parseDialogTemplate(readResource(u"templates/dialog%1.json"_qs.arg(id)));
}

MenuTemplate loadMenuTemplate(int id) {
    return parseMenuTemplate(readResource(u"templates/menu%1.json"_qs.arg(id)));
}

QString loadString(int id) {
    const QJsonObject o = parseObject(readResource(u"templates/strings.json"_qs));
    for (const auto& s : o.value(u"strings").toArray()) {
        if (s.toObject().value(u"id").toInt() == id) {
            return s.toObject().value(u"text").toString();
        }
    }
    return {};
}

QIcon loadIcon(int id) {
    if (id != ids::Icons::kProgram) {
        fail(u"no icon %1"_qs.arg(id));
    }
    QSvgRenderer renderer(readResource(u"icon.svg"_qs));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QFont dialogFont(const DialogTemplate& tmpl) {
    QFont font = QApplication::font();
    font.setPointSize(tmpl.fontPoints);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_qs);
    m_baseX = (alphabet / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QRect DialogUnits::toPixels(const QRect& r) const {
    return QRect(mulDiv(r.x(), m_baseX, 4), mulDiv(r.y(), m_baseY, 8),
                 mulDiv(r.width(), m_baseX, 4), mulDiv(r.height(), m_baseY, 8));
}

QSize DialogUnits::toPixels(const QSize& s) const {
    return QSize(mulDiv(s.width(), m_baseX, 4), mulDiv(s.height(), m_baseY, 8));
}

BuiltDialog buildDialog(QDialog& dialog, const DialogTemplate& tmpl) {
    BuiltDialog built;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (std::find(tmpl.styles.begin(), tmpl.styles.end(), "WS_SYSMENU") != tmpl.styles.end()) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    dialog.setWindowFlags(flags);
    dialog.setWindowTitle(tmpl.caption);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // A modal frame cannot be resized: the window is the client area plus the menu bar.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (tmpl.menu != 0) {
        built.menuBar = new QMenuBar(&dialog);
        built.menuBar->setNativeMenuBar(false);
        buildMenu(built, loadMenuTemplate(tmpl.menu));
        layout->setMenuBar(built.menuBar);
    }

    const QFont font = dialogFont(tmpl);
    const DialogUnits units(font);
    built.client = new QWidget(&dialog);
    built.client->setFont(font);
    built.client->setFixedSize(units.toPixels(tmpl.size));
    layout->addWidget(built.client);

    // The group boxes first, so that the controls inside can be made in them;
    // the others in template order, which is the order of the Tab key.
    built.controls.resize(tmpl.controls.size());
    for (bool groups : {true, false}) {
        for (size_t i = 0; i < tmpl.controls.size(); ++i) {
            const ControlTemplate& c = tmpl.controls[i];
            if ((c.className == "button" && c.has("BS_GROUPBOX")) != groups) {
                continue;
            }
            const int group = groupOf(tmpl, i);
            QWidget* parent = group < 0 ? built.client : built.controls[static_cast<size_t>(group)];
            const QPoint origin =
                group < 0
                    ? QPoint()
                    : units.toPixels(tmpl.controls[static_cast<size_t>(group)].rect).topLeft();
            built.controls[i] = createControl(c, parent, units, origin);
            if (c.id != -1) {
                built.byId[c.id] = built.controls[i];
            }
        }
    }
    for (size_t i : readingOrder(tmpl)) {
        built.controls[i]->raise();
    }
    pairLabels(built, tmpl);
    return built;
}

QWidget* addControl(BuiltDialog& built, const ControlTemplate& c) {
    QWidget* w = createControl(c, built.client, DialogUnits(built.client->font()));
    w->lower();
    built.controls.push_back(w);
    built.byId[c.id] = w;
    return w;
}

} // namespace zentory::qt
