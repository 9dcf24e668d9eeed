// The validating edit box: a masked line edit that, in its time format,
// only ever holds a well-formed "hh:mm:ss". Typed characters overwrite and
// are checked, Delete resets the box to its default, Up and Down (and a
// small spin button beside the box while it has the focus) step the field
// under the caret with carry, and a paste is checked and repaired. Refused
// input beeps.
#pragma once

#include <QLineEdit>
#include <QPointer>

class QToolButton;

namespace qx {

enum class TValidEditFormat {
    veNone,
    veInteger,
    veLongInt,
    veWord,
    veDate,
    veTime,
    veDateTime,
    veTimeSigned
};

class TValidEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TValidEdit(QWidget* parent = nullptr);
    ~TValidEdit() override;

    // Sets the format: the mask, the patterns, the default and the text.
    // Only veNone and veTime check anything; other formats act as veNone.
    void SetValidate(TValidEditFormat format);
    TValidEditFormat Validate() const { return format_; }
    // The text the box falls back to; assigning it leaves the text alone.
    void SetDefault(const QString& text) { default_ = text; }
    const QString& Default() const { return default_; }
    // Off: typed characters and steps are not checked.
    void SetNoRangeChecking(bool off) { noRangeChecking_ = off; }
    bool NoRangeChecking() const { return noRangeChecking_; }
    // Field width of the numeric formats; no effect in veTime.
    void SetDigits(int digits);
    int Digits() const { return digits_; }
    // Left, right or centred text.
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }

    // Steps the number under the caret by delta (the arrow keys and the
    // spin button).
    void StepValue(int delta);
    // The checked paste of a text (the clipboard's, for the paste command).
    void PasteText(const QString& clip);
    void PasteText();
    // Where typing goes: the start of the selection, else the cursor.
    int Caret() const;
    // The spin button, while the box has the focus.
    QWidget* SpinButton() const { return spin_; }

signals:
    // Input was refused (the box beeped).
    void beeped();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Validating() const { return format_ == TValidEditFormat::veTime; }
    void Beep();
    void TypeCharacter(QChar key);
    void SelectOne(int position);
    void MoveCaret(bool right);
    void CreateSpinButton();
    void DestroySpinButton();
    void PlaceSpinButton();

    TValidEditFormat format_ = TValidEditFormat::veNone;
    QString default_;
    bool noRangeChecking_ = false;
    int digits_ = 5;
    QPointer<QWidget> spin_;
};

}  // namespace qx
