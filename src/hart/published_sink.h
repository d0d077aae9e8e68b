#pragma once
// Whoever takes the frames a bursting device publishes, as the master heard
// them: the driver hands each one over once, with the moment it was heard.

#include "hart/master.h"

namespace zolin6::hart {

class PublishedSink {
 public:
  virtual ~PublishedSink() = default;
  // `burst.frame.data` is not valid here: the data is in `burst.data`.
  virtual void OnPublished(const HeardBurst& burst) = 0;
};

}  // namespace zolin6::hart
