#include "platform/widgets/EnterKey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

bool isPlainEnter(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Watches the window: a button that is not a dialog's default ignores Enter,
// so the key press travels up to the window, where it clicks the button.
class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        auto* button = qobject_cast<QPushButton*>(static_cast<QWidget*>(watched)->focusWidget());
        if (!isPlainEnter(key) || !button || !button->isEnabled() || !button->isVisible())
            return false;
        // Held down, the key clicks once, as Space does.
        if (!key.isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

void enterkey::clicksFocusedButton(QWidget* window) {
    window->installEventFilter(new EnterClicks(window));
}
