#include "QtPlatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>

namespace ciphora {

QtPlatform::QtPlatform(std::string applicationDirectory) : applicationDirectory_(std::move(applicationDirectory)) {}

QtPlatform::~QtPlatform() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void QtPlatform::ProcessEvents() { QCoreApplication::processEvents(); }

void QtPlatform::WaitForEvents() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void QtPlatform::SetMousePointer(MousePointer shape) {
    const bool busy = shape == MousePointer::Busy;
    if (busy == busy_) return;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
    busy_ = busy;
}

void QtPlatform::Beep() { QApplication::beep(); }

}  // namespace ciphora
