#include "win/message_map.h"

namespace win {

const MessageMap CommandTarget::kMessageMap{nullptr};

bool CommandTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
    for (std::size_t i = 0; i < map->count; ++i) {
      const MessageMapEntry& entry = map->entries[i];
      if (entry.message != message) continue;
      if (message == WM_COMMAND && (entry.code != HIWORD(wParam) || entry.id != LOWORD(wParam))) {
        continue;
      }
      result = entry.call(*this, wParam, lParam);
      return true;
    }
  }
  return false;
}

}  // namespace win
