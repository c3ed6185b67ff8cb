#include "roster/LearnerRecord.h"

#include "base/ByteReader.h"

namespace tazu {
namespace {

// A reader of the record's fields from `offset` on.
ByteReader At(const LearnerRecord::Bytes& bytes, size_t offset) {
  ByteReader r(bytes);
  r.Skip(offset);
  return r;
}

std::string Cut(std::string_view text, size_t capacity) {
  return std::string(text.substr(0, capacity));
}

}  // namespace

LearnerKey LearnerKey::FromTexts(std::string_view name, std::string_view secondKey,
                                 std::string_view shortKey) {
  return LearnerKey{Cut(name, kNameCapacity), Cut(secondKey, kSecondKeyCapacity),
                    Cut(shortKey, kShortKeyCapacity)};
}

bool IsValidSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }
bool IsValidLevel(int level) { return level >= 1 && level <= kLevelCount; }

LearnerRecord LearnerRecord::NewLearner(int16_t id, const LearnerKey& key, int slot, int level) {
  LearnerRecord record;
  if (!IsValidSlot(slot) || !IsValidLevel(level)) return record;
  record.SetId(id);
  record.SetShortString(kNameOffset, kNameCapacity, key.name);
  record.SetShortString(kSecondKeyOffset, kSecondKeyCapacity, key.secondKey);
  record.SetShortString(kShortKeyOffset, kShortKeyCapacity, key.shortKey);
  for (int s = 1; s <= kSlotCount; ++s) record.bytes_[record.SlotOffset(s)] = kNewSlotLast;
  record.bytes_[record.SlotOffset(slot) + kSlotLastOffset] = static_cast<uint8_t>(level);
  record.WriteU32(record.TallyOffset(slot, level), 1);
  return record;
}

int16_t LearnerRecord::Id() const { return static_cast<int16_t>(At(bytes_, kIdOffset).U16Le()); }

void LearnerRecord::SetId(int16_t id) {
  PutLittleEndian(bytes_.data() + kIdOffset, static_cast<uint16_t>(id), sizeof id);
}

std::optional<std::string> LearnerRecord::Name() const {
  return ShortString(kNameOffset, kNameCapacity);
}
std::optional<std::string> LearnerRecord::SecondKey() const {
  return ShortString(kSecondKeyOffset, kSecondKeyCapacity);
}
std::optional<std::string> LearnerRecord::ShortKey() const {
  return ShortString(kShortKeyOffset, kShortKeyCapacity);
}

bool LearnerRecord::Matches(const LearnerKey& key) const {
  return Name() == key.name && SecondKey() == key.secondKey && ShortKey() == key.shortKey;
}

uint8_t LearnerRecord::Last(int slot) const {
  return IsValidSlot(slot) ? bytes_[SlotOffset(slot) + kSlotLastOffset] : 0;
}

uint32_t LearnerRecord::Tally(int slot, int level) const {
  return IsValidSlot(slot) && IsValidLevel(level) ? At(bytes_, TallyOffset(slot, level)).U32Le()
                                                  : 0;
}

void LearnerRecord::CountUse(int slot, int level) {
  if (!IsValidSlot(slot) || !IsValidLevel(level)) return;
  bytes_[SlotOffset(slot) + kSlotLastOffset] = static_cast<uint8_t>(level);
  // Unsigned arithmetic:: a counter at its limit wraps instead of overflowing.
  WriteU32(TallyOffset(slot, level), Tally(slot, level) + 1U);
}

std::optional<std::string> LearnerRecord::ShortString(size_t offset, size_t capacity) const {
  const std::optional<std::string_view> text = At(bytes_, offset).ShortString(capacity);
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

void LearnerRecord::SetShortString(size_t offset, size_t capacity, std::string_view text) {
  const std::string_view kept = text.substr(0, capacity);
  bytes_[offset] = static_cast<uint8_t>(kept.size());
  for (size_t i = 0; i < kept.size(); ++i) bytes_[offset + 1 + i] = static_cast<uint8_t>(kept[i]);
}

size_t LearnerRecord::SlotOffset(int slot) const {
  return kSlotsOffset + kSlotSize * static_cast<size_t>(slot - 1);
}

size_t LearnerRecord::TallyOffset(int slot, int level) const {
  return SlotOffset(slot) + kTallyBytes * static_cast<size_t>(level);
}

void LearnerRecord::WriteU32(size_t offset, uint32_t value) {
  PutLittleEndian(bytes_.data() + offset, value, kTallyBytes);
}

}  // namespace tazu
