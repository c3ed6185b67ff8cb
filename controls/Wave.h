// The wave sound player: TWave holds one complete RIFF WAVE file in memory and plays
// it asynchronously through the platform's cue player; TWaveComp is the component
// that carries one. The platform may play from the wave's bytes while they exist, so
// every replacement and the destruction stop the sound first.
#pragma once

#include <memory>
#include <string>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "controls/WaveHeader.h"
#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

// An assignment between objects of unrelated classes.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class TWave : public TObject {
 public:
  // Sounds go to `platform`; without one nothing can be played.
  explicit TWave(Platform* platform);
  ~TWave() override;
  TWave(const TWave&) = delete;
  TWave& operator=(const TWave&) = delete;

  void LoadFromFile(const std::string& fileName);
  // Loads the bytes from the stream's position to its end. Only an empty stream
  // clears the wave; anything that fails the header check keeps the old data.
  void LoadFromStream(TStream& stream);
  void SaveToFile(const std::string& fileName);
  void SaveToStream(TStream& stream);

  // True when the sound started: false with no data or no output device.
  bool Play();
  void Stop();
  bool IsEmpty() const;
  int64_t Size() const;
  void Clear();
  // Copies the other wave's bytes; null clears. Any other class is refused with
  // EConvertError.
  void Assign(const TObject* source);

  // The stored form inside a layout: property "Data", written only while there is a
  // data stream.
  bool HasData() const { return data_ != nullptr; }
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

  // The file image, or null when there is none.
  const TMemoryStream* Data() const { return data_.get(); }

  // While set, replacements send no change notice.
  bool Updating = false;
  TNotifyEvent OnChange;

 private:
  void LoadBytes(TStream& stream, int64_t count);
  void Replace(std::unique_ptr<TMemoryStream> data);
  void Changed();

  Platform* platform_;
  std::unique_ptr<TMemoryStream> data_;
};

class TWaveComp : public TComponent {
 public:
  explicit TWaveComp(TComponent* owner);

  TWave& Wave() { return wave_; }
  // Copies the given wave's data.
  void SetWave(const TWave& wave) { wave_.Assign(&wave); }
  void LoadFromFile(const std::string& fileName) { wave_.LoadFromFile(fileName); }
  void SaveToFile(const std::string& fileName) { wave_.SaveToFile(fileName); }
  void Stop() { wave_.Stop(); }

  std::string About;

 private:
  TWave wave_;
};

}  // namespace tazu
