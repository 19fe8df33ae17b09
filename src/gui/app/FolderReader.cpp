#include "app/FolderReader.h"

#include "dialogs/ProgressDlg.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <exception>
#include <memory>
#include <thread>

namespace zentory {

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

ScanResult WalkBesideEventLoop(QWidget& window, const std::string& folder, bool subFolders,
                               ScanWatch& watch, const ProgressTexts& texts,
                               std::chrono::milliseconds progressDelay) {
    InputBlocker blocker;
    QEventLoop loop;
    ScanResult result;
    std::exception_ptr failure;
    std::thread walker([&] {
        try {
            result = ScanFolder(folder, ScanOptions::All(subFolders), &watch);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    std::unique_ptr<CProgressDlg> progress;
    QTimer showProgress;
    showProgress.setSingleShot(true);
    QObject::connect(&showProgress, &QTimer::timeout, &loop, [&] {
        progress = std::make_unique<CProgressDlg>(watch, &window);
        progress->m_strReadingText = texts.reading;
        progress->m_strFilesText = texts.files;
        progress->m_strCancelText = texts.cancel;
        progress->m_strLocale = texts.locale;
        blocker.allowed = progress.get();
        // Still busy, but the Cancel button now takes a click.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
        progress->Start();
    });
    showProgress.start(progressDelay);
    loop.exec();
    walker.join();
    blocker.allowed = nullptr;
    progress.reset();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return result;
}

} // namespace zentory
