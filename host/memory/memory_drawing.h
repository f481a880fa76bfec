// The in-memory application and its drawings: drawing properties, the brush collection and the
// top-level graphics. The application creates other host objects through the running host's
// registry (its late-bound CreateObject).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/memory/memory_graphic.h"
#include "sulkor/drawing.h"
#include "sulkor/environment.h"
#include "sulkor/graphic_names.h"
#include "sulkor/store_names.h"

namespace sulkor::host {

inline constexpr std::string_view kBrushAnsi36 = kHatchBrush;

class MemoryBrush : public Brush {
 public:
  explicit MemoryBrush(std::string_view name) : name_(name) {}
  std::string Name() override { return name_; }

 private:
  std::string name_;
};

class MemoryDrawing : public Drawing, public std::enable_shared_from_this<MemoryDrawing> {
 public:
  // A new drawing of an application: "LinearUnitName" "mm", the brushes "SOLID" and "ANSI36".
  static std::shared_ptr<MemoryDrawing> Create(std::weak_ptr<Application> app);

  Variant Property(std::string_view name) override;  // Empty when never written
  void SetProperty(std::string_view name, const Variant& value) override;
  Handle<Brush> BrushByName(std::string_view name) override;
  Handle<Graphics> TopGraphics() override { return Handle<Graphics>(top_); }
  Handle<Application> App() override { return Handle<Application>(app_.lock()); }

  // Adds a brush to the collection (or answers the one of that name).
  std::shared_ptr<MemoryBrush> AddBrush(std::string_view name);
  MemoryGraphics& TopList() { return *top_; }
  const std::map<std::string, Variant, std::less<>>& Properties() const { return properties_; }
  const std::map<std::string, std::shared_ptr<MemoryBrush>, std::less<>>& Brushes() const {
    return brushes_;
  }

 private:
  MemoryDrawing() = default;

  std::weak_ptr<Application> app_;
  std::map<std::string, Variant, std::less<>> properties_;
  std::map<std::string, std::shared_ptr<MemoryBrush>, std::less<>> brushes_;
  std::shared_ptr<MemoryGraphics> top_;
};

class MemoryApplication : public Application,
                          public std::enable_shared_from_this<MemoryApplication> {
 public:
  // An application with one new, active drawing, creating objects through the registry of
  // host (held weakly: the host's registry holds the application).
  static std::shared_ptr<MemoryApplication> Create(std::weak_ptr<HostEnvironment> host);

  // Nothing when the registry cannot create the object or the host is gone.
  Handle<HostObject> CreateObject(std::string_view progId) override;
  Handle<Drawing> ActiveDrawing() override { return Handle<Drawing>(active_); }

  std::shared_ptr<MemoryDrawing> Active() const { return active_; }
  // A new drawing that becomes the active one.
  std::shared_ptr<MemoryDrawing> NewDrawing();
  void SetActive(std::shared_ptr<MemoryDrawing> drawing) { active_ = std::move(drawing); }

 private:
  MemoryApplication() = default;

  std::weak_ptr<HostEnvironment> host_;
  std::shared_ptr<MemoryDrawing> active_;
};

}  // namespace sulkor::host
