// What the order data module needs of the entry window it serves: the window's entry-check
// flag, its stop-confirmation setting, the pharmacy of the parent order a child is added to,
// the current patient's insurance type, which page shows, and moving the focus to one of its
// controls by name. The entry window implements it; tests use a small stand-in window.
#pragma once
#include <string>

namespace yz {

class OrderEntryHost {
 public:
  virtual ~OrderEntryHost() = default;
  // Set by New and Save; the limit query runs only while it is set.
  virtual bool EntryCheck() const = 0;
  virtual void SetEntryCheck(bool v) = 0;
  // The configuration's stop_confirm value read when the window was created.
  virtual std::string StopConfirm() const = 0;
  // group_no of the parent order while a child order is being added.
  virtual std::string ParentGroupNo() const = 0;
  // responce_type of the window's current patient.
  virtual std::string ResponceType() const = 0;
  // True while the edit page (not the browse page) is showing.
  virtual bool EditPageShowing() const = 0;
  // Moves the focus to the named control (edtyzname, edtll, edt_supply, edt_frequency); a
  // control that cannot take the focus leaves it where it is.
  virtual void FocusControl(const std::string& name) = 0;
};

}  // namespace yz
