#pragma once
// Wrappers for the controls of a running dialog. A wrapper is bound to a
// control by DataExchange::Control; it acts on the control while the
// dialog's window exists and does nothing otherwise (reads give 0 or "").

#include <memory>
#include <string>

struct ControlSlot;  // the layer's record of one control of a window

class ControlWrapper {
 public:
  ControlWrapper();
  virtual ~ControlWrapper();
  ControlWrapper(const ControlWrapper&) = delete;
  ControlWrapper& operator=(const ControlWrapper&) = delete;

  bool IsAttached() const;
  int Id() const;  // NO_CONTROL_ID when not attached

  void Show(bool show);
  bool IsVisible() const;
  void Enable(bool enable);
  bool IsEnabled() const;
  void SetFocus();
  void Repaint();  // repaint at once, inside the current handler

  void SetText(const std::string& text);  // UTF-8
  std::string Text() const;

 protected:
  std::shared_ptr<ControlSlot> Slot() const;
  virtual void Attach(const std::shared_ptr<ControlSlot>& record);

 private:
  friend class DataExchange;
  std::weak_ptr<ControlSlot> slot;
};

class ProgressBar : public ControlWrapper {
 public:
  // Range 0..100; positions outside it are clamped.
  void SetPos(int pos);
  int Pos() const;
};

class Button : public ControlWrapper {
 public:
  // Push buttons, radio buttons and group boxes.
  bool IsChecked() const;
  void SetChecked(bool checked);
};

class StaticText : public ControlWrapper {};

class Edit : public ControlWrapper {
 public:
  ~Edit() override;

  // Called for every key press delivered to the edit (auto-repeat included),
  // after the edit's own processing. flags carries KEY_FLAG_REPEAT.
  virtual void OnKeyDown(unsigned virtualKey, unsigned repeatCount, unsigned flags);
  // Called first for a key press aimed at the edit, before the dialog's own
  // keys (Esc, Enter). true: handled; neither the edit nor the dialog sees it.
  virtual bool PreTranslateKeyDown(unsigned virtualKey);

 protected:
  void Attach(const std::shared_ptr<ControlSlot>& record) override;
};
