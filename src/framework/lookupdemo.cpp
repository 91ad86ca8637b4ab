#include "framework/lookupdemo.h"

namespace yz {

TfrmLookupDemo* TfrmLookupDemo::Open(int rows) {
  auto* f = ui::Create<TfrmLookupDemo>();
  auto& o = *f->cdsOrder;
  o.CreateDataSet();
  for (int i = 0; i < rows; ++i) {
    o.Append();
    o.Post();
  }
  o.First();
  f->Show();
  return f;
}

}  // namespace yz
