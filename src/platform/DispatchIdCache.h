#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "host/AutomationError.h"

namespace MorlaventMenu {

// The kind of the object that a connection attaches to or creates.
extern const wchar_t* const kApplicationKind;

// The kind of the object that `member` gives when asked of an object of kind `kind`:
// objects reached by the same route are of one class, so they number their members alike.
// "Application" always gives the application; an element of a collection is named after
// the collection, since "Item" alone would mix the elements of different collections.
std::wstring ResultKind(const std::wstring& kind, const std::wstring& member);

// The ids of members already looked up during a launch, by kind of object and member name
// (exact, case-sensitive), so that each name crosses to the host once.
class DispatchIdCache {
 public:
  // Calls `member` of an object of `kind`:
  //   look_up: int32_t(int32_t& id)  asks the object for the member's id; returns an HRESULT
  //   send:    int32_t(int32_t id)   makes the call with that id; returns an HRESULT
  // An id found here that the object answers with DISP_E_MEMBERNOTFOUND is looked up again
  // once and the call sent once more: this object may number its members otherwise.
  // Returns the HRESULT of the look-up that failed or of the last call sent.
  template <typename LookUp, typename Send>
  int32_t CallMember(const std::wstring& kind, const std::wstring& member, LookUp&& look_up,
                     Send&& send) {
    int32_t id = 0;
    const bool known = Find(kind, member, id);
    if (!known) {
      const int32_t found = LookUpAndStore(kind, member, look_up, id);
      if (found < 0) return found;
    }
    ++invokes_;
    const int32_t answer = send(id);
    if (answer != kMemberNotFound || !known) return answer;
    const int32_t found = LookUpAndStore(kind, member, look_up, id);
    if (found < 0) return found;
    ++invokes_;
    return send(id);
  }

  // Round trips asked for, for benchmarks: a call sent again after a rejection counts once.
  uint64_t LookUps() const { return look_ups_; }
  uint64_t Invokes() const { return invokes_; }

  // Forgets every id, as at the start of a launch; the counters go on.
  void Clear() { ids_.clear(); }

 private:
  using Key = std::pair<std::wstring, std::wstring>;

  bool Find(const std::wstring& kind, const std::wstring& member, int32_t& id) const;
  void Store(const std::wstring& kind, const std::wstring& member, int32_t id);
  void Forget(const std::wstring& kind, const std::wstring& member);

  template <typename LookUp>
  int32_t LookUpAndStore(const std::wstring& kind, const std::wstring& member, LookUp& look_up,
                         int32_t& id) {
    ++look_ups_;
    const int32_t found = look_up(id);
    if (found < 0) {
      Forget(kind, member);
    } else {
      Store(kind, member, id);
    }
    return found;
  }

  std::map<Key, int32_t> ids_;
  uint64_t look_ups_ = 0;
  uint64_t invokes_ = 0;
};

}  // namespace MorlaventMenu
