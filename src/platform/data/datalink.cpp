// Data sources and data links: how data-aware controls follow a dataset.
#include <algorithm>

#include "platform/data/dataset.h"

namespace yz::data {

DataLink::~DataLink() {
  if (source_) source_->RemoveLink(this);
}

void DataLink::SetDataSource(DataSource* source) {
  if (source_ == source) return;
  if (source_) source_->RemoveLink(this);
  source_ = source;
  if (source_) source_->AddLink(this);
  ActiveChanged();
}

DataSet* DataLink::GetDataSet() const { return source_ ? source_->GetDataSet() : nullptr; }

bool DataLink::Active() const {
  DataSet* ds = GetDataSet();
  return ds && ds->Active() && source_->Enabled();
}

DataSource::DataSource(DataSet* dataSet) { SetDataSet(dataSet); }

DataSource::~DataSource() {
  if (dataSet_) dataSet_->DetachSource(this);
  dataSet_ = nullptr;
  for (DataLink* l : std::vector<DataLink*>(links_)) l->SetDataSource(nullptr);
}

void DataSource::SetDataSet(DataSet* ds) {
  if (ds == dataSet_) return;
  if (dataSet_) dataSet_->DetachSource(this);
  dataSet_ = ds;
  if (dataSet_) dataSet_->AttachSource(this);
  for (DataLink* l : std::vector<DataLink*>(links_)) l->ActiveChanged();
  if (OnStateChange) OnStateChange(*this);
}

void DataSource::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  for (DataLink* l : std::vector<DataLink*>(links_)) l->ActiveChanged();
}

void DataSource::AddLink(DataLink* l) {
  if (std::find(links_.begin(), links_.end(), l) == links_.end()) links_.push_back(l);
}

void DataSource::RemoveLink(DataLink* l) { links_.erase(std::remove(links_.begin(), links_.end(), l), links_.end()); }

}  // namespace yz::data
