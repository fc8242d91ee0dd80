// The component object runtime for the user-interface thread: initialised as a
// single-threaded apartment for the life of the object, and uninitialised at its end
// when the initialisation succeeded.
#pragma once

namespace tiermend::app {

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

}  // namespace tiermend::app
