// ciphora-bench: the test bench window of the cipher.
//
//   ciphora-bench [--drive-root DIR] [--screenshot FILE]
//
// Drive letters of the bench's fixed paths live below DIR (default /mnt;
// on Windows they are the real drives); --screenshot saves a picture of the
// window and ends.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstring>
#include <string>

#include "Form1.h"
#include "QtPlatform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string driveRoot(ciphora::kDefaultDriveRoot);
    QString screenshot;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--drive-root") == 0) driveRoot = argv[i + 1];
        if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = QString::fromLocal8Bit(argv[i + 1]);
    }
    const std::string applicationDirectory =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    ciphora::QtPlatform platform(applicationDirectory);
    const ciphora::ScopedPlatform installed(platform);

    ciphora::Form1 form(applicationDirectory, driveRoot);
    form.show();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &form, [&] {
            const bool saved = form.grab().save(screenshot, "PNG");
            QCoreApplication::exit(saved ? 0 : 74);
        });
    }
    return QApplication::exec();
}
