// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "lumora/pages/PageElements.h"

namespace Lumora {

// The elements of a page or of the About box as Qt widgets in a parent: a
// label, a line or text edit, a check box, a scroll bar, push buttons, a
// group box for a frame, a drawn box for a picture box. The elements stay
// the truth: the user's input goes into them, and what they then show
// comes back into the widgets. Each widget is named as code names its
// element ("txtHeight", "txt(0)").
class ElementWidgets final : public QObject, public lumora::pages::IElementView {
    Q_OBJECT

public:
    // Creates a widget for every visible element inside parent.
    ElementWidgets(QWidget& parent, const std::vector<lumora::pages::Element*>& elements);
    ~ElementWidgets() override;

    void ElementUpdated(const lumora::pages::Element& element, std::string_view property) override;

    // The widget showing element, or null for an element without one.
    QWidget* WidgetOf(const lumora::pages::Element& element) const;

    // Runs after every input the user gave an element, for a dialog that
    // closes once its form is unloaded.
    std::function<void()> afterInput;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shown {
        lumora::pages::Element* element;
        QPointer<QWidget> widget;
    };

    void Create(lumora::pages::Element& element);
    QWidget* MakeWidget(lumora::pages::Element& element);
    void ShowState(const Shown& shown);
    void FitPicture(const Shown& shown);
    const Shown* Find(const QObject* widget) const;
    // Runs one input of the user: a runtime error the element's handler let
    // through is shown, as the designer shows a handler's error.
    void AsUser(const std::function<void()>& input);

    QWidget& parent_;
    std::vector<Shown> shown_;
    // Set while a widget is made to show what its element holds, so that
    // its own change signal is not taken for the user's input.
    bool updating_ = false;
};

// Pixels for a length in twips, at 96 dots per inch as the pages are laid
// out.
int Pixels(lumora::Long twips);
// The element's place in pixels in its page or form; an element in a frame
// is placed relative to the frame.
QRect PixelRect(const lumora::pages::Element& element);

}  // namespace Lumora
