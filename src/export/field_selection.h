#pragma once

#include <cstdint>

// The three export switches, in record order. A switch counts as on only when it equals 1:
// a ticked two-state check box gives 1, a clear one 0, an indeterminate one 2.
struct FieldSelection {
  std::int32_t qqNumber = 1;
  std::int32_t name = 1;
  std::int32_t email = 1;

  bool QQNumberOn() const { return qqNumber == 1; }
  bool NameOn() const { return name == 1; }
  bool EmailOn() const { return email == 1; }
  bool AnyOn() const { return QQNumberOn() || NameOn() || EmailOn(); }
};
