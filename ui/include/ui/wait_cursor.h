#pragma once
// Shows the wait cursor for its lifetime; harmless without a Qt application.

class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  void Restore();  // back to the normal cursor now; later calls do nothing

 private:
  bool active = false;
};
