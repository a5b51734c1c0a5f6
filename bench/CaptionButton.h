#pragma once

#include <QPushButton>
#include <QRect>

namespace ciphora {

// A command button whose caption, when it does not fit on one line, wraps
// onto the next ones at its blanks, as the window's buttons always did.
class CaptionButton : public QPushButton {
public:
    explicit CaptionButton(QWidget* parent) : QPushButton(parent) {}

    // The room the button's style leaves for the caption.
    QRect CaptionArea() const;
    // The caption as it shows: broken into lines at blanks where one line
    // is too narrow.
    QString Caption() const;
    // What those lines take, centred in that room; the whole caption shows
    // when CaptionArea() holds it.
    QRect CaptionBounds() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ciphora
