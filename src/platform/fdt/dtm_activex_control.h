#pragma once
// What the frame application sees of the control: binding to a device
// driver object and releasing it.

#include <memory>
#include <string>

namespace zolin6::framelink {
class DtmObject;
}

namespace zolin6::fdt {

class IDtmActiveXControl {
 public:
  virtual ~IDtmActiveXControl() = default;
  // `functionCall` is accepted and not used.
  virtual bool Init(const std::string& invokeId, const std::string& functionCall,
                    std::shared_ptr<framelink::DtmObject> dtm) = 0;
  virtual bool PrepareToRelease() = 0;
};

}  // namespace zolin6::fdt
