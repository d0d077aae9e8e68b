#pragma once
// The device driver's framework interfaces, as the control uses them. Every
// operation answers whether the call itself succeeded (a driver error or a
// refused call answers false); results come back through out arguments.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zolin6::fdt {
class IDtmActiveXControl;
}

namespace zolin6::framelink {

class IFrameLinkSession {
 public:
  virtual ~IFrameLinkSession() = default;
  virtual bool CloseSession(const std::string& invokeId) = 0;
  virtual bool IsReady(bool& ready) = 0;
  virtual bool RegisterControl(const std::string& className, const std::string& invokeId,
                               fdt::IDtmActiveXControl* control, std::int32_t zero, bool& result) = 0;
  virtual bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) = 0;
};

class IFrameLinkChannel {
 public:
  virtual ~IFrameLinkChannel() = default;
  virtual bool WriteRequest(const std::string& code, const std::string& document, std::string& result) = 0;
  virtual bool ReadRequest(const std::string& code, const std::string& document, std::string& result) = 0;
};

// The notification value handed to UpdateUI: text, or something that is not
// text (which ends the notification's handling).
class Variant {
 public:
  // Implicit, as a text handed to UpdateUI is a variant holding that text.
  Variant(std::string text) : text_(std::move(text)) {}
  Variant(const char* text) : text_(text) {}
  static Variant NotText() { return Variant(); }
  const std::optional<std::string>& text() const { return text_; }

 private:
  Variant() = default;
  std::optional<std::string> text_;
};

// The control's callback: the driver's answers and state changes.
class IUpdateUI {
 public:
  virtual ~IUpdateUI() = default;
  virtual void UpdateUI(std::int32_t reason, const Variant& details) = 0;
};

// The device driver object handed to Init. It may or may not offer the
// framework interfaces; a driver that lacks one answers nullptr.
class DtmObject {
 public:
  virtual ~DtmObject() = default;
  virtual std::shared_ptr<IFrameLinkSession> session() = 0;
  virtual std::shared_ptr<IFrameLinkChannel> channel() = 0;
};

}  // namespace zolin6::framelink
