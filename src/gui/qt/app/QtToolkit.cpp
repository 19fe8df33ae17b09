#include "app/QtToolkit.h"

#include "ProgressDlg.h"
#include "ui/DialogFrame.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <memory>

namespace zentory::qt {

namespace {

// Keeps the person's input from every window but the progress window, so that
// no command starts while the walk runs. Painting, moving and timers go on.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    QWidget* allowed = nullptr; // the progress window, once there is one

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return !isAllowed(receiver);
        default:
            return false;
        }
    }

private:
    bool isAllowed(const QObject* receiver) const {
        if (allowed == nullptr) {
            return false;
        }
        if (const auto* window = qobject_cast<const QWindow*>(receiver)) {
            return window == allowed->windowHandle();
        }
        for (const QObject* o = receiver; o != nullptr; o = o->parent()) {
            if (o == allowed) {
                return true;
            }
        }
        return false;
    }
};

// The event loop of one read: input for the progress window only, which
// shows over `owner`.
class ReadLoop : public window::BesideLoop {
public:
    explicit ReadLoop(QWidget* owner) : m_owner(owner) {}
    ~ReadLoop() override { m_blocker.allowed = nullptr; }
    ReadLoop(const ReadLoop&) = delete;
    ReadLoop& operator=(const ReadLoop&) = delete;

    void ShowProgress(window::CProgressDlg& progress) override {
        m_frame = std::make_unique<DialogFrame>(progress, m_owner);
        m_blocker.allowed = m_frame.get();
        // Still busy, but the Cancel button now takes a click.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        progress.OnInitDialog();
        m_frame->setWindowModality(Qt::ApplicationModal);
        m_frame->CentreOnOwner();
        m_frame->show();
        m_frame->GetDlgItem(window::IDCANCEL)->setFocus();
    }

    void Run(const std::function<std::optional<window::LoopClock::time_point>()>& step) override {
        QEventLoop loop;
        QTimer due;
        due.setSingleShot(true);
        // A timer, not a loop of its own: the step comes in any loop that
        // runs meanwhile.
        m_step = [&] {
            const auto next = step();
            if (!next) {
                m_step = nullptr;
                due.stop();
                loop.quit();
                return;
            }
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*next - window::LoopClock::now());
            due.start(std::max(left, std::chrono::milliseconds(0)));
        };
        QObject::connect(&due, &QTimer::timeout, &loop, [this] { takeStep(); });
        takeStep();
        if (m_step) {
            loop.exec(); // early when the program ends (QuitAll)
        }
        m_step = nullptr;
    }

    void Wake() override {
        // Queued: the step runs on this thread.
        QMetaObject::invokeMethod(
            &m_context, [this] { takeStep(); }, Qt::QueuedConnection);
    }

private:
    QWidget* m_owner;
    InputBlocker m_blocker;
    std::unique_ptr<DialogFrame> m_frame;
    void takeStep() {
        if (m_step) {
            const std::function<void()> step = m_step; // may clear m_step
            step();
        }
    }

    QObject m_context; // a wake queued for a loop that is gone goes with it
    std::function<void()> m_step;
};

} // namespace

int QtToolkit::RunModal(window::CDialog& dlg) {
    // A dialog that is drawn already (its frame made by whoever holds it) runs in that frame.
    if (DialogFrame* frame = DialogFrame::Of(dlg)) {
        return frame->DoModal();
    }
    QWidget* owner = dlg.m_pParentWnd != nullptr ? DialogFrame::Of(*dlg.m_pParentWnd) : nullptr;
    DialogFrame frame(dlg, owner);
    return frame.DoModal();
}

std::unique_ptr<window::BesideLoop> QtToolkit::OpenBesideLoop(window::CDialog& owner) {
    return std::make_unique<ReadLoop>(DialogFrame::Of(owner));
}

void QtToolkit::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtToolkit::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

std::string QtToolkit::FormatCount(std::uint64_t count, const std::string& locale) const {
    return toBytes(
        QLocale(QString::fromStdString(locale)).toString(static_cast<qulonglong>(count)));
}

void QtToolkit::SetInterfaceLanguage(const std::string& locale) {
    m_qtTranslations.Load(locale);
}

void QtToolkit::QuitAll() {
    // Every loop of this thread ends, the modal dialogs' too, and none starts again.
    QCoreApplication::exit(1);
}

} // namespace zentory::qt
