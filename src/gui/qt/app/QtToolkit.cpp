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

#include <exception>
#include <memory>
#include <thread>

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

bool QtToolkit::RunBesideLoop(window::CDialog& owner, std::function<void()> work,
                              window::CProgressDlg& progress, std::chrono::milliseconds delay) {
    InputBlocker blocker;
    QEventLoop loop;
    bool ended = false;
    window::BesideWork walker(std::move(work), [&] {
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                ended = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });

    std::unique_ptr<DialogFrame> frame;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &loop, [&] { progress.Refresh(); });
    // A cancelled read is waited for a moment only.
    QTimer letGo;
    letGo.setSingleShot(true);
    QObject::connect(&letGo, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer watchCancel;
    QObject::connect(&watchCancel, &QTimer::timeout, &loop, [&] {
        if (progress.Cancelled() && !letGo.isActive()) {
            watchCancel.stop();
            letGo.start(window::kCancelGrace);
        }
    });
    watchCancel.start(std::chrono::milliseconds(10));
    QTimer showProgress;
    showProgress.setSingleShot(true);
    QObject::connect(&showProgress, &QTimer::timeout, &loop, [&] {
        frame = std::make_unique<DialogFrame>(progress, DialogFrame::Of(owner));
        blocker.allowed = frame.get();
        // Still busy, but the Cancel button now takes a click.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        progress.OnInitDialog();
        frame->setWindowModality(Qt::ApplicationModal);
        frame->CentreOnOwner();
        frame->show();
        frame->GetDlgItem(window::IDCANCEL)->setFocus();
        refresh.start(window::CProgressDlg::kRefreshInterval);
    });
    showProgress.start(delay);
    loop.exec();
    blocker.allowed = nullptr;
    refresh.stop();
    frame.reset();
    if (!ended && progress.Cancelled()) {
        walker.Abandon();
        return false;
    }
    walker.Finish();
    return true;
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
