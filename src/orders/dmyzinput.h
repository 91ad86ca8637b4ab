// The order data module: the act order set the entry window edits (with its save rules),
// the browse copy, the parent list of child orders, and the dictionaries and auxiliary sets
// the order rules and the windows read.
#pragma once
#include <string>

#include "framework/components.h"
#include "orders/orderhost.h"

namespace yz {

class TdmYzInput : public TDataModule {
 public:
  // Builds every connection and set and runs the creation steps in their order (ward stock
  // opened, fee items fetched once, code lists filled). Throws when a server cannot be
  // reached. `host` is the entry window the rules read and move the focus in (may be null:
  // then the entry check is off, the window values are empty and focus moves do nothing).
  explicit TdmYzInput(ui::Component* owner, OrderEntryHost* host = nullptr);
  ~TdmYzInput() override;
  std::string ClassName() const override { return "TdmYzInput"; }

  OrderEntryHost* Host() const { return host_; }
  void SetHost(OrderEntryHost* host) { host_ = host; }

  // ---- connections
  TDCOMConnection *dmcWsOrder, *dmcinput, *dmc_zd, *dmc_sql, *dmc_bedzd, *dmc_yz_config, *dmcDetailCharge,
      *dmcOrderCharge, *dmcGetPy;

  // ---- record sets
  TClientDataSet *cdsActOrder, *cdsBrowserOrder, *cds_actorder_parent, *cds_order_zd, *cdsSQL, *cdsZd,
      *cdsPatientInfo, *cds_yz_configure, *cdsypdict, *cdsypunit, *cdsdoseage_unit, *cds_status, *cdsfee,
      *cdsSelfBuyDict, *cds_exclusive_code, *cdsOweLimit, *cdsSupplyInfo, *cdsSingleOrderCharge, *adoOrderCharge,
      *cdsChargeCheck, *cdsFiticd, *cdsFitFlag, *cds_yp_ward_dtug, *cds_pattern, *cdsPatternNo, *cds_yz_comment,
      *cds_operatetime, *cds_mzfs, *cdsSingleOrder;

  // ---- data sources of the windows
  TDataSource *dtsactorder, *dtsBrowserOrder, *dts_order_zd, *dts_actorder_parent, *dtsSingleOrderCharge,
      *dtsFiticd, *dtsFitFlag, *dtsZd, *dtsPatientInfo, *dts_pattern, *dts_yz_comment, *dts_mzfs, *dts_operatetime;

  // ---- module-wide values: the current act order and browse order numbers, kept by the
  // cursor reactions of the two order sets.
  int actOrderNo = 0;
  int browseOrderNo = 0;
  // The template rows' calculated-field handler, remembered at creation so that it can be
  // attached around each open of cds_pattern.
  data::DataSetEvent patternCalcFields;

  // The general query on cdsSQL: close, set the text as command text, open. Answers cdsSQL.
  data::ClientDataSet& Query(const std::string& sql);

  // Copies one value to every child of the current act order (a parent drug order that is
  // not stopped), each child edited and posted; the list's filter, filter state and position
  // are restored afterwards, also when a post is refused.
  void PropagateToChildren(const std::string& fieldName, const Variant& value, const std::string& orderNo);

  // ---- handlers bound to cdsActOrder
  void ActOrderBeforePost(data::DataSet& ds);
  void ActOrderBeforeDelete(data::DataSet& ds);
  void ActOrderAfterPost(data::DataSet& ds);
  data::ReconcileAction ActOrderReconcileError(data::DataSet& row, const std::string& error, data::UpdateKind kind);

 private:
  void BuildActOrderFields();
  void BuildBrowserFields();
  void Create();
  void Refuse(const std::string& text, const char* focus, bool plain = false);

  OrderEntryHost* host_ = nullptr;
};

// The order data module of the entry window that lives now (null when none).
TdmYzInput* CurrentOrderModule();

// The statement that asks the database's limit function about the current row of `row`.
// Texts go between quotes with their quotes doubled; an empty number is sent as null.
std::string LimitQueryText(const data::DataSet& row, const std::string& responceType);

}  // namespace yz
