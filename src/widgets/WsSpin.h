#pragma once
// Spin buttons with auto-repeat and the spin edit built on them. TWsTimerSpeedButton is one half (a flat,
// focus-less button that repeats its click while held); TWsSpinButton pairs an up and a down half;
// TWsSpinEdit is a line edit with a pair at its right edge that holds an integer, float, date, time or
// hexadecimal value as text.

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <functional>

#include <QLabel>
class QTimer;

namespace qmz {

enum class TSpinDirection { spVertical, spHorizontal };

// The built-in 9 x 6 arrows "WsSpinUp" and "WsSpinDown" (olive border = transparent); a null image for any
// other name.
QImage LoadSpinGlyph(const QString& name);

class TWsTimerSpeedButton : public QAbstractButton {
  Q_OBJECT

 public:
  // Half kinds: what the half shows.
  static constexpr int KindHorzDown = 0;
  static constexpr int KindHorzUp = 1;
  static constexpr int KindVertUp = 2;
  static constexpr int KindVertDown = 3;
  static constexpr int DefaultFirstRepeatMs = 400;
  static constexpr int DefaultNextRepeatMs = 100;

  explicit TWsTimerSpeedButton(QWidget* parent = nullptr);
  ~TWsTimerSpeedButton() override;

  bool AutoRepeat() const { return autoRepeat_; }
  void SetAutoRepeat(bool value) { autoRepeat_ = value; }
  int ButtonKind() const { return buttonKind_; }
  void SetButtonKind(int value);
  bool ThemesPossible() const { return themesPossible_; }
  bool Hot() const { return hot_; }
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);

  // Glyph images side by side: normal, disabled, pressed, ... (the first NumGlyphs of them are used).
  QPixmap Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);

  // Exists from the first press with AutoRepeat on.
  QTimer* RepeatTimer() const { return repeatTimer_; }
  // Delay of the first repeat after the press and between the following ones.
  void SetRepeatIntervals(int firstMs, int nextMs);
  int FirstRepeatInterval() const { return firstRepeatMs_; }
  int NextRepeatInterval() const { return nextRepeatMs_; }
  // One tick of the repeat timer: clicks again while the half is held down.
  void RepeatTick();

  std::function<void(TWsTimerSpeedButton* sender, Qt::MouseButton button)> OnMouseDown;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool PaintThemed(QPainter& painter);
  void PaintClassic(QPainter& painter);
  QPixmap CurrentGlyphImage() const;
  void InvalidateParent();

  QTimer* repeatTimer_ = nullptr;
  bool autoRepeat_ = false;
  int buttonKind_ = KindVertUp;
  bool themesPossible_ = true;
  bool hot_ = false;
  bool flat_ = false;
  bool transparent_ = false;
  bool captured_ = false;
  QPixmap glyph_;
  int numGlyphs_ = 1;
  int firstRepeatMs_ = DefaultFirstRepeatMs;
  int nextRepeatMs_ = DefaultNextRepeatMs;
};

class TWsSpinButton : public QWidget {
  Q_OBJECT

 public:
  using NotifyEvent = std::function<void(QWidget* sender)>;

  explicit TWsSpinButton(QWidget* parent = nullptr);

  TSpinDirection Direction() const { return direction_; }
  void SetDirection(TSpinDirection value);
  // A null pixmap restores the built-in arrow.
  QPixmap UpGlyph() const;
  void SetUpGlyph(const QPixmap& glyph);
  int UpNumGlyphs() const;
  void SetUpNumGlyphs(int value);
  QPixmap DownGlyph() const;
  void SetDownGlyph(const QPixmap& glyph);
  int DownNumGlyphs() const;
  void SetDownNumGlyphs(int value);
  // Takes the focus when a half is pressed; forgotten when that control is destroyed.
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* control) { focusControl_ = control; }
  bool TabStop() const { return (focusPolicy() & Qt::TabFocus) != 0; }
  void SetTabStop(bool value);

  TWsTimerSpeedButton* UpButton() const { return upButton_; }
  TWsTimerSpeedButton* DownButton() const { return downButton_; }
  TWsTimerSpeedButton* FocusedButton() const { return focusedButton_; }

  NotifyEvent OnUpClick;
  NotifyEvent OnDownClick;

  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void BtnClick(TWsTimerSpeedButton* sender);
  void BtnMouseDown(TWsTimerSpeedButton* sender, Qt::MouseButton button);
  void SetFocusedButton(TWsTimerSpeedButton* button);
  void Arrange();
  int MinWidth() const { return direction_ == TSpinDirection::spVertical ? 15 : 20; }

  TWsTimerSpeedButton* upButton_;
  TWsTimerSpeedButton* downButton_;
  TWsTimerSpeedButton* focusedButton_;
  QPointer<QWidget> focusControl_;
  TSpinDirection direction_ = TSpinDirection::spVertical;
};

enum class TWsSpinType { sptNormal, sptFloat, sptDate, sptTime, sptHex };
enum class TLabelPosition {
  lpLeftTop,
  lpLeftCenter,
  lpLeftBottom,
  lpTopLeft,
  lpBottomLeft,
  lpLeftTopLeft,
  lpLeftCenterLeft,
  lpLeftBottomLeft,
  lpTopCenter,
  lpBottomCenter
};
enum class TEditAlign { eaLeft, eaRight, eaCenter };

// Days since 30 December 1899 plus the time of day as a fraction, the date-time the values are stored in.
using TDateTime = double;
TDateTime DateTimeFromQt(const QDateTime& value);
QDateTime DateTimeToQt(TDateTime value);

class TWsSpinEdit : public QLineEdit {
  Q_OBJECT

 public:
  using KeyPressEvent = std::function<void(QWidget* sender, QChar& key)>;

  explicit TWsSpinEdit(QWidget* parent = nullptr);
  ~TWsSpinEdit() override;

  // Form loading: while loading, range checks, re-formatting and label placement wait; EndLoad does them once.
  void BeginLoad() { loading_ = true; }
  void EndLoad();
  bool Loading() const { return loading_; }

  bool AutoFocus() const { return autoFocus_; }
  void SetAutoFocus(bool value) { autoFocus_ = value; }
  TSpinDirection Direction() const;
  void SetDirection(TSpinDirection value);
  bool ReturnIsTab() const { return returnIsTab_; }
  void SetReturnIsTab(bool value) { returnIsTab_ = value; }
  int Precision() const { return precision_; }
  void SetPrecision(int value);
  TWsSpinType SpinType() const { return spinType_; }
  void SetSpinType(TWsSpinType value);

  int Value() const;
  void SetValue(int value);
  double FloatValue() const;
  void SetFloatValue(double value);
  TDateTime DateValue() const;
  void SetDateValue(TDateTime value);
  TDateTime TimeValue() const;
  void SetTimeValue(TDateTime value);
  int HexValue() const;
  void SetHexValue(int value);

  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  QColor FlatLineColor() const { return flatLineColor_; }
  void SetFlatLineColor(const QColor& value);
  bool SpinFlat() const { return spinFlat_; }
  void SetSpinFlat(bool value);
  bool SpinTransparent() const { return spinTransparent_; }
  void SetSpinTransparent(bool value);
  TEditAlign EditAlign() const { return editAlign_; }
  void SetEditAlign(TEditAlign value);
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool value);
  // The edit's own read-only state (steps beep); distinct from QLineEdit's, which also covers EditorEnabled.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);

  int Increment() const { return increment_; }
  void SetIncrement(int value) { increment_ = value; }
  double IncrementFloat() const { return incrementFloat_; }
  void SetIncrementFloat(double value) { incrementFloat_ = value; }
  int IncrementPage() const { return incrementPage_; }
  void SetIncrementPage(int value) { incrementPage_ = value; }
  double IncrementFloatPage() const { return incrementFloatPage_; }
  void SetIncrementFloatPage(double value) { incrementFloatPage_ = value; }
  bool IncrementSmart() const { return incrementSmart_; }
  void SetIncrementSmart(bool value) { incrementSmart_ = value; }
  int IncrementMinutes() const { return incrementMinutes_; }
  void SetIncrementMinutes(int value) { incrementMinutes_ = value; }
  int IncrementHours() const { return incrementHours_; }
  void SetIncrementHours(int value) { incrementHours_ = value; }

  bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
  void SetLabelAlwaysEnabled(bool value);
  QString LabelCaption() const { return labelCaption_; }
  void SetLabelCaption(const QString& value);
  TLabelPosition LabelPosition() const { return labelPosition_; }
  void SetLabelPosition(TLabelPosition value);
  int LabelMargin() const { return labelMargin_; }
  void SetLabelMargin(int value);
  bool LabelTransparent() const { return labelTransparent_; }
  void SetLabelTransparent(bool value);
  QFont LabelFont() const { return labelFont_; }
  void SetLabelFont(const QFont& value);
  QLabel* Label() const { return label_; }

  // No range when both bounds are equal (integers: both 0). Otherwise a value below MinValue becomes MinValue
  // and one above MaxValue becomes MaxValue, also when MaxValue is below MinValue (MinValue 1, MaxValue 0: 5
  // becomes 0).
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int value) { maxValue_ = value; }
  int MinValue() const { return minValue_; }
  void SetMinValue(int value) { minValue_ = value; }
  double MinFloatValue() const { return minFloatValue_; }
  void SetMinFloatValue(double value) { minFloatValue_ = value; }
  double MaxFloatValue() const { return maxFloatValue_; }
  void SetMaxFloatValue(double value) { maxFloatValue_ = value; }
  TDateTime MinDateValue() const { return minDateValue_; }
  void SetMinDateValue(TDateTime value) { minDateValue_ = value; }
  TDateTime MaxDateValue() const { return maxDateValue_; }
  void SetMaxDateValue(TDateTime value) { maxDateValue_ = value; }

  bool Signed() const { return signed_; }
  void SetSigned(bool value) { signed_ = value; }
  bool ShowSeconds() const { return showSeconds_; }
  void SetShowSeconds(bool value);
  bool MonthFirst() const { return monthFirst_; }
  QString Version() const { return QStringLiteral("1.0.0.0"); }
  virtual unsigned GetVersionNumber() const { return 0x01030000u; }

  int ClampValue(int value) const;
  double ClampFloatValue(double value) const;
  TDateTime ClampDateValue(TDateTime value) const;

  // The character filter: may replace key; false refuses it.
  virtual bool AcceptsChar(QChar& key);
  virtual void UpClick(QObject* sender);
  virtual void DownClick(QObject* sender);

  TWsSpinButton* Button() const { return button_; }

  // Called with every typed character (Enter as '\r') before the edit's own handling; may change or clear it.
  KeyPressEvent OnKeyPress;

  void setVisible(bool visible) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Stepping.
  void Step(bool up);
  void SmartStep(bool up);
  void StepBy(double amount);
  void StepDate(bool up);
  void StepTime(bool up);
  void FinishStep(const QString& oldText, int caret, int selLength);
  bool CaretBeforeFirstSeparator(const QString& separator, int& p1, int& p2) const;
  // Keyboard.
  bool HandleKeyDown(QKeyEvent* event);
  bool HandleCharacter(QKeyEvent* event, QChar key);
  void ToggleSign();
  void Beep() const;
  // Look.
  void UpdateLabel();
  void ApplyEditRect();
  void PlaceButton();
  int MinHeight() const;
  void ApplyMinHeight();
  void ApplyReadOnly();
  void ReformatValue();
  void ComputeMonthFirst();
  int SelStart() const;
  void RestoreCaret(int caret, int selLength);

  TWsSpinButton* button_;
  QPointer<QLabel> label_;
  bool loading_ = false;
  bool autoFocus_ = false;
  bool returnIsTab_ = false;
  int precision_ = 0;
  TWsSpinType spinType_ = TWsSpinType::sptNormal;
  bool flat_ = false;
  QColor flatLineColor_ = Qt::black;
  bool spinFlat_ = false;
  bool spinTransparent_ = false;
  TEditAlign editAlign_ = TEditAlign::eaLeft;
  bool editorEnabled_ = true;
  bool readOnly_ = false;
  bool autoSelect_ = true;
  bool transparent_ = false;
  int increment_ = 1;
  double incrementFloat_ = 0.1;
  int incrementPage_ = 10;
  double incrementFloatPage_ = 1.0;
  bool incrementSmart_ = false;
  int incrementMinutes_ = 1;
  int incrementHours_ = 1;
  bool labelAlwaysEnabled_ = false;
  QString labelCaption_;
  TLabelPosition labelPosition_ = TLabelPosition::lpLeftTop;
  int labelMargin_ = 4;
  bool labelTransparent_ = false;
  QFont labelFont_;
  int maxValue_ = 0;
  int minValue_ = 0;
  double minFloatValue_ = 0.0;
  double maxFloatValue_ = 0.0;
  TDateTime minDateValue_ = 0;
  TDateTime maxDateValue_ = 0;
  bool signed_ = false;
  bool showSeconds_ = true;
  bool monthFirst_ = false;
  TDateTime dateValue_ = 0;
  TDateTime timeValue_ = 0;
  int hexValue_ = 0;
  QPalette normalPalette_;
};

}  // namespace qmz
