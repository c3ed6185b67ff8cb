// One 708-byte record of the learner roster, kept as its raw bytes so that every
// byte this program does not change (other programs' usage slots, string tails,
// padding) is written back exactly as it was read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tazu {

// Record layout (little-endian): Id, three short strings (length byte + characters),
// then 26 usage slots of 24 bytes each.
inline constexpr size_t kRecordSize = 708;
inline constexpr size_t kIdOffset = 0;
inline constexpr size_t kNameOffset = 2;
inline constexpr size_t kNameCapacity = 35;
inline constexpr size_t kSecondKeyOffset = 38;
inline constexpr size_t kSecondKeyCapacity = 40;
inline constexpr size_t kShortKeyOffset = 79;
inline constexpr size_t kShortKeyCapacity = 4;
inline constexpr size_t kSlotsOffset = 84;
inline constexpr size_t kSlotSize = 24;
inline constexpr int kSlotCount = 26;
inline constexpr size_t kSlotLastOffset = 0;
inline constexpr size_t kTallyBytes = 4;  // counter k lies at slot offset 4 * k
inline constexpr int kLevelCount = 5;
inline constexpr uint8_t kNewSlotLast = 1;

// The Id that never names a learner: the roster routines' "none" result.
inline constexpr int16_t kNoLearner = -1;

// The three texts that together identify a learner, already cut to the lengths a
// record can hold.
struct LearnerKey {
  std::string name;
  std::string secondKey;
  std::string shortKey;

  // Cuts each text to its field's capacity, so that a key that was stored cut
  // short is found again under the text it was given as.
  static LearnerKey FromTexts(std::string_view name, std::string_view secondKey,
                              std::string_view shortKey);
};

bool IsValidSlot(int slot);
bool IsValidLevel(int level);

class LearnerRecord {
 public:
  using Bytes = std::array<uint8_t, kRecordSize>;

  LearnerRecord() : bytes_{} {}
  explicit LearnerRecord(const Bytes& bytes) : bytes_(bytes) {}

  // A new learner: zeros everywhere, the key, every slot's Last = 1, and one use of
  // `level` counted in `slot`. An invalid slot or level gives an all-zero record.
  static LearnerRecord NewLearner(int16_t id, const LearnerKey& key, int slot, int level);

  const Bytes& Raw() const { return bytes_; }
  Bytes& Raw() { return bytes_; }

  int16_t Id() const;
  void SetId(int16_t id);

  // The texts of the three key fields, or nothing when the field's length byte
  // claims more characters than the field holds.
  std::optional<std::string> Name() const;
  std::optional<std::string> SecondKey() const;
  std::optional<std::string> ShortKey() const;

  // True when all three texts are sound and equal `key` byte for byte.
  bool Matches(const LearnerKey& key) const;

  // Slot 1 to 26, level 1 to 5; outside those bounds they read 0 and change nothing.
  uint8_t Last(int slot) const;
  uint32_t Tally(int slot, int level) const;
  // Last = level and one more on counter `level`; only those five bytes change.
  void CountUse(int slot, int level);

 private:
  std::optional<std::string> ShortString(size_t offset, size_t capacity) const;
  void SetShortString(size_t offset, size_t capacity, std::string_view text);
  size_t SlotOffset(int slot) const;
  size_t TallyOffset(int slot, int level) const;
  void WriteU32(size_t offset, uint32_t value);

  Bytes bytes_;
};

}  // namespace tazu
