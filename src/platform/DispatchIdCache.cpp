#include "platform/DispatchIdCache.h"

namespace MorlaventMenu {

const wchar_t* const kApplicationKind = L"Application";

std::wstring ResultKind(const std::wstring& kind, const std::wstring& member) {
  if (member == kApplicationKind) return kApplicationKind;
  if (member == L"Item") return kind + L".Item";
  return member;
}

bool DispatchIdCache::Find(const std::wstring& kind, const std::wstring& member,
                           int32_t& id) const {
  const auto found = ids_.find(Key(kind, member));
  if (found == ids_.end()) return false;
  id = found->second;
  return true;
}

void DispatchIdCache::Store(const std::wstring& kind, const std::wstring& member, int32_t id) {
  ids_[Key(kind, member)] = id;
}

void DispatchIdCache::Forget(const std::wstring& kind, const std::wstring& member) {
  ids_.erase(Key(kind, member));
}

}  // namespace MorlaventMenu
