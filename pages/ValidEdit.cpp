#include "pages/ValidEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include "pages/TimeText.h"
#include "textscan/Regional.h"

namespace qx {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// "00:00:00" as an input mask, the regional separator as its literal.
QString TimeMask() {
    const char separator = Regional().TimeSeparator;
    QString literal = QString(QLatin1Char(separator));
    if (QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;").contains(literal))
        literal.prepend(QLatin1Char('\\'));
    return QStringLiteral("00") + literal + QStringLiteral("00") + literal + QStringLiteral("00;_");
}

}  // namespace

TValidEdit::TValidEdit(QWidget* parent) : QLineEdit(parent) {}

TValidEdit::~TValidEdit() {
    DestroySpinButton();
}

void TValidEdit::SetValidate(TValidEditFormat format) {
    if (format_ != TValidEditFormat::veNone && format == TValidEditFormat::veNone) setInputMask({});
    format_ = format;
    if (format == TValidEditFormat::veTime) {
        setInputMask(TimeMask());
        default_ = FromUtf8(ZeroTimeText());
        setText(default_);
    } else {
        default_.clear();
    }
}

void TValidEdit::SetDigits(int digits) {
    if (digits == digits_) return;
    digits_ = digits;
    SetValidate(format_);
}

void TValidEdit::SetAlignment(Qt::Alignment alignment) {
    setAlignment((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

int TValidEdit::Caret() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TValidEdit::Beep() {
    QApplication::beep();
    emit beeped();
}

void TValidEdit::SelectOne(int position) {
    const int length = text().size();
    if (position < length)
        setSelection(position, 1);
    else
        setCursorPosition(length);
}

void TValidEdit::TypeCharacter(QChar key) {
    const QString old = text();
    const int caret = Caret();
    SelectOne(caret);
    if (caret >= old.size()) {
        Beep();
        return;
    }
    QString tried = old;
    tried[caret] = key;
    if (!noRangeChecking_ && !TimeRangeCheck(ToUtf8(tried))) {
        if (TimeRangeCheck(ToUtf8(old))) {
            Beep();
        } else {
            setText(default_);
            SelectOne(caret);
        }
        return;
    }
    // Overwrite and move on, over a separator.
    setText(tried);
    int next = caret + 1;
    if (next < tried.size() && !IsDigit(tried[next])) ++next;
    SelectOne(next);
}

void TValidEdit::MoveCaret(bool right) {
    const QString t = text();
    if (selectedText().size() > 1) {
        // A longer selection shrinks to its first or last character.
        SelectOne(right ? selectionEnd() - 1 : selectionStart());
        return;
    }
    int at = Caret();
    if (right) {
        at = std::min<int>(at + 1, t.size());
        while (at < t.size() && !IsDigit(t[at])) ++at;
    } else {
        at = std::max(at - 1, 0);
        while (at > 0 && !IsDigit(t[at])) --at;
    }
    SelectOne(at);
}

void TValidEdit::StepValue(int delta) {
    if (isReadOnly()) {
        Beep();
        return;
    }
    const TTimeEdit edit =
        StepTimeText(ToUtf8(text()), Caret(), delta, ToUtf8(default_), !noRangeChecking_);
    if (!edit.accepted) {
        Beep();
        return;
    }
    setText(FromUtf8(edit.text));
    setSelection(edit.selStart, edit.selLength);
}

void TValidEdit::PasteText() {
    PasteText(QApplication::clipboard()->text());
}

void TValidEdit::PasteText(const QString& clip) {
    if (!Validating()) {
        insert(clip);
        return;
    }
    const int caret = Caret();
    const TTimeEdit edit = PasteTimeText(ToUtf8(text()), caret, ToUtf8(clip));
    if (!edit.accepted) {
        // The text from before the paste stays, the caret back where it was.
        SelectOne(caret);
        Beep();
        return;
    }
    setText(FromUtf8(edit.text));
    SelectOne(edit.selStart);
}

void TValidEdit::keyPressEvent(QKeyEvent* event) {
    if (!Validating()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        PasteText();
        return;
    }
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    if (key == Qt::Key_Delete && !(mods & Qt::AltModifier)) {
        // The selection goes to the clipboard, the box back to its default.
        const int caret = Caret();
        if (hasSelectedText()) QApplication::clipboard()->setText(selectedText());
        setText(default_);
        SelectOne(caret);
        return;
    }
    if (mods == Qt::NoModifier) {
        switch (key) {
            case Qt::Key_Up: StepValue(+1); return;
            case Qt::Key_Down: StepValue(-1); return;
            case Qt::Key_Backspace:
            case Qt::Key_Left: MoveCaret(false); return;
            case Qt::Key_Space:
            case Qt::Key_Right: MoveCaret(true); return;
            default: break;
        }
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].unicode() > 32 && !(mods & ~Qt::ShiftModifier)) {
        TypeCharacter(typed[0]);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TValidEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    if (Validating()) {
        // Paste through the check; the other entries as they are.
        for (QAction* action : menu->actions()) {
            if (action->objectName() != QLatin1String("edit-paste")) continue;
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] { PasteText(); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TValidEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The X11 selection paste would bypass the check.
    if (Validating() && event->button() == Qt::MiddleButton) return;
    QLineEdit::mouseReleaseEvent(event);
}

void TValidEdit::focusInEvent(QFocusEvent* event) {
    CreateSpinButton();
    if (Validating()) SelectOne(Caret());
    QLineEdit::focusInEvent(event);
    if (Validating()) SelectOne(Caret());
}

void TValidEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    DestroySpinButton();
}

void TValidEdit::CreateSpinButton() {
    DestroySpinButton();
    QWidget* host = parentWidget();
    if (!host) return;
    auto* spin = new QWidget(host);
    spin->setObjectName(objectName() + QStringLiteral("Spin"));
    spin->setAccessibleName(accessibleName() + QStringLiteral(" up/down"));
    auto* layout = new QVBoxLayout(spin);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto button = [&](Qt::ArrowType arrow, const QString& name, const QString& label, int delta) {
        auto* b = new QToolButton(spin);
        b->setObjectName(name);
        b->setAccessibleName(label);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        // The box keeps the focus (and so the spin button) while it is used.
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        connect(b, &QToolButton::clicked, this, [this, delta] { StepValue(delta); });
        layout->addWidget(b);
    };
    button(Qt::UpArrow, QStringLiteral("btnUp"), QStringLiteral("Up"), +1);
    button(Qt::DownArrow, QStringLiteral("btnDown"), QStringLiteral("Down"), -1);
    spin_ = spin;
    PlaceSpinButton();
    spin->show();
    spin->raise();
}

void TValidEdit::DestroySpinButton() {
    if (spin_) delete spin_.data();
    spin_ = nullptr;
}

void TValidEdit::PlaceSpinButton() {
    if (spin_) spin_->setGeometry(x() + width() - 1, y(), 16, height());
}

void TValidEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    PlaceSpinButton();
}

void TValidEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceSpinButton();
}

}  // namespace qx
