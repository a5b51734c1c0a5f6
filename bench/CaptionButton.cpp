#include "CaptionButton.h"

#include <QStringList>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace ciphora {

namespace {

// Breaks the caption at blanks only (not after "/" as text layout would),
// filling each line as far as `width` allows.
QString WrappedAtBlanks(const QString& caption, const QFontMetrics& metrics, int width) {
    QString wrapped;
    QString line;
    for (const QString& word : caption.split(' ')) {
        const QString longer = line.isEmpty() ? word : line + ' ' + word;
        if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            line = longer;
        } else {
            wrapped += line + '\n';
            line = word;
        }
    }
    return wrapped + line;
}

}  // namespace

QRect CaptionButton::CaptionArea() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

QString CaptionButton::Caption() const { return WrappedAtBlanks(text(), fontMetrics(), CaptionArea().width()); }

QRect CaptionButton::CaptionBounds() const {
    return fontMetrics().boundingRect(CaptionArea(), Qt::AlignCenter, Caption());
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style draws the button without its label; the label follows in
    // the enabled or disabled colour.
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    style()->drawItemText(&painter, CaptionArea(), Qt::AlignCenter, palette(), isEnabled(), Caption(),
                          QPalette::ButtonText);
}

}  // namespace ciphora
