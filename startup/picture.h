#pragma once
// Pictures of the setup's pages, loaded from files next to the executable.

#include <memory>
#include <string>

namespace kelvano {

class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;   // pixels
  virtual int Height() const = 0;  // pixels
  // Draws the picture stretched to the rectangle; deviceContext is the window system's.
  virtual void Draw(void* deviceContext, int left, int top, int width, int height) const = 0;
};

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // The picture, or null when the file is missing or cannot be read as a picture.
  virtual std::shared_ptr<Picture> Load(const std::string& path) = 0;
};

}  // namespace kelvano
