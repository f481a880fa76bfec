#include "host/memory/memory_drawing.h"

namespace sulkor::host {

std::shared_ptr<MemoryDrawing> MemoryDrawing::Create(std::weak_ptr<Application> app) {
  std::shared_ptr<MemoryDrawing> drawing(new MemoryDrawing());
  drawing->app_ = std::move(app);
  drawing->top_ = MemoryGraphics::ForDrawing(std::weak_ptr<Drawing>(drawing));
  drawing->properties_.emplace(std::string(kLinearUnitName), Variant(kUnitMillimetre));
  drawing->AddBrush("SOLID");
  drawing->AddBrush(kBrushAnsi36);
  return drawing;
}

Variant MemoryDrawing::Property(std::string_view name) {
  auto it = properties_.find(name);
  return it == properties_.end() ? Variant() : it->second;
}

void MemoryDrawing::SetProperty(std::string_view name, const Variant& value) {
  properties_.insert_or_assign(std::string(name), value);
}

Handle<Brush> MemoryDrawing::BrushByName(std::string_view name) {
  auto it = brushes_.find(name);
  if (it == brushes_.end()) return nullptr;
  return Handle<Brush>(it->second);
}

std::shared_ptr<MemoryBrush> MemoryDrawing::AddBrush(std::string_view name) {
  auto it = brushes_.find(name);
  if (it != brushes_.end()) return it->second;
  auto brush = std::make_shared<MemoryBrush>(name);
  brushes_.emplace(std::string(name), brush);
  return brush;
}

std::shared_ptr<MemoryApplication> MemoryApplication::Create(std::weak_ptr<HostEnvironment> host) {
  std::shared_ptr<MemoryApplication> app(new MemoryApplication());
  app->host_ = std::move(host);
  app->NewDrawing();
  return app;
}

std::shared_ptr<MemoryDrawing> MemoryApplication::NewDrawing() {
  active_ = MemoryDrawing::Create(std::weak_ptr<Application>(shared_from_this()));
  return active_;
}

Handle<HostObject> MemoryApplication::CreateObject(std::string_view progId) {
  auto host = host_.lock();
  if (!host) return nullptr;
  Handle<HostObject> object;
  WithErrorsSuppressed([&] { object = host->registry.Create(progId); });
  return object;
}

}  // namespace sulkor::host
