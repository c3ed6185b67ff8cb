#include "controls/Wave.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "framework/Application.h"

namespace tazu {
namespace {

// The readable name of an object's class, without the namespace.
std::string ClassNameOf(const TObject& object) {
  const char* mangled = typeid(object).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled != nullptr ? demangled : mangled;
  std::free(demangled);
  const size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

Platform* PlatformOf(const TComponent& component) {
  TApplication* app = component.Application();
  return app != nullptr ? &app->GetPlatform() : nullptr;
}

}  // namespace

TWave::TWave(Platform* platform) : platform_(platform) {}

TWave::~TWave() {
  if (data_) Stop();
}

void TWave::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, FileMode::OpenRead);
  LoadFromStream(file);
}

void TWave::LoadFromStream(TStream& stream) {
  LoadBytes(stream, stream.Size() - stream.Position());
}

void TWave::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, FileMode::Create);
  SaveToStream(file);
}

void TWave::SaveToStream(TStream& stream) {
  if (data_) stream.WriteBuffer(data_->Memory(), data_->Size());
}

void TWave::LoadBytes(TStream& stream, int64_t count) {
  // Only an empty stream clears; no bytes from one that has some fail the check.
  if (stream.Size() == 0) {
    Clear();
    return;
  }
  Replace(ReadCheckedWave(stream, count));  // a failure leaves the data as it was
}

bool TWave::Play() {
  if (IsEmpty() || platform_ == nullptr) return false;
  if (platform_->WaveOutDeviceCount() == 0) return false;
  return platform_->PlayWave(data_->Bytes());
}

void TWave::Stop() {
  if (platform_ != nullptr) platform_->StopWave();
}

bool TWave::IsEmpty() const { return Size() == 0; }

int64_t TWave::Size() const { return data_ ? static_cast<int64_t>(data_->Bytes().size()) : 0; }

void TWave::Clear() { Replace(nullptr); }

void TWave::Assign(const TObject* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  const auto* other = dynamic_cast<const TWave*>(source);
  if (other == nullptr) {
    throw EConvertError("Cannot assign a " + ClassNameOf(*source) + " to a " + ClassNameOf(*this));
  }
  if (other->data_ == nullptr) {
    Clear();
    return;
  }
  auto copy = std::make_unique<TMemoryStream>();
  const std::vector<uint8_t>& bytes = other->data_->Bytes();
  copy->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  other->data_->SetPosition(0);
  Replace(std::move(copy));
}

void TWave::ReadData(TStream& stream) { LoadBytes(stream, ReadStoredWaveCount(stream)); }

void TWave::WriteData(TStream& stream) const {
  if (data_) WriteStoredWave(stream, *data_);
}

void TWave::Replace(std::unique_ptr<TMemoryStream> data) {
  if (data_) Stop();  // the platform may still be playing from the old bytes
  data_ = std::move(data);
  if (data_) data_->SetPosition(0);
  Changed();
}

void TWave::Changed() {
  if (!Updating && OnChange) OnChange(this);
}

TWaveComp::TWaveComp(TComponent* owner) : TComponent(owner), wave_(PlatformOf(*this)) {}

}  // namespace tazu
