// CoInitialize at the start of the window run, CoUninitialize at its end.
#include "app/win32/ComApartment.h"

#include <objbase.h>

namespace tiermend::app {

ComApartment::ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}

}  // namespace tiermend::app
