// A small window with a data-aware order record set and three drop-down lookup edits on one
// shared SQL-tag list: order items (tag 118, two context parameters), frequencies (tag 132,
// fetched once) and beds (tag 463, ColumnWidth "60,70,60,60,60"). Tests, benchmarks and
// scenarios use it to show the lookup edit on its own.
#pragma once
#include "framework/childform.h"
#include "framework/components.h"
#include "framework/twdbeditdd.h"
#include "framework/twdbgriddd.h"
#include "platform/ui/controls.h"

namespace yz {


inline data::FieldDef TextDef(const char* name, int size) {
  data::FieldDef d;
  d.name = name;
  d.size = size;
  return d;
}

inline data::FieldDef LookupDef(const char* name, const char* key, data::DataSet* list, const char* listKey,
                                const char* result) {
  data::FieldDef d;
  d.name = name;
  d.size = 128;
  d.kind = data::FieldKind::Lookup;
  d.keyFields = key;
  d.lookupDataSet = list;
  d.lookupKeyFields = listKey;
  d.lookupResultField = result;
  return d;
}

// Opening the record set and showing the window are left to the caller: creation closes the
// record set of the lookup edits (Open does both).
class TfrmLookupDemo : public TfrmChildForm {
 public:
  TfrmLookupDemo() : TfrmChildForm(nullptr, "frmLookupDemo") {
    dmc_zd = new TDCOMConnection(this, "dmc_zd", "jx_mts_tagsql.jx_mts_tag_sql");
    dmc_zd->SetComputerName(AppServerName());
    cds_zd = new TClientDataSet(this, "cds_zd");
    cds_zd->Bind(dmc_zd, "DSP_dict");
    dts_zd = new TDataSource(this, "dts_zd", cds_zd);

    cdsOrder = new TClientDataSet(this, "cdsOrder");
    cdsOrder->AddField(TextDef("order_code", 10));
    cdsOrder->AddField(LookupDef("lookup_order", "order_code", cds_zd, "医嘱码", "医嘱名"));
    cdsOrder->AddField(TextDef("frequ_code", 10));
    cdsOrder->AddField(LookupDef("lookup_frequency", "frequ_code", cds_zd, "频率码", "频率名称"));
    cdsOrder->AddField(TextDef("bed_no", 8));
    cdsOrder->AddField(LookupDef("lookup_bed", "bed_no", cds_zd, "床号", "姓名"));
    dtsOrder = new TDataSource(this, "dtsOrder", cdsOrder);

    grd_order = Grid("grd_order");
    grd_order->SetExtendFormOnCreate(true);
    edtyzname = LookupEdit("edtyzname", 10, "lookup_order", 118, grd_order);
    edtyzname->Params.Add(data::Param("yp_zy", data::FieldType::String, Variant("1011")));
    edtyzname->Params.Add(data::Param("", data::FieldType::String, Variant("1012")));  // by position: yp_zc
    edtyzname->OnAfterCreate = [this](ui::Component&) { ++afterCreates; };
    edtyzname->OnDBEditEnter = [this](ui::Component&) { ++rowsTaken; };

    edtfrequency = LookupEdit("edtfrequency", 40, "lookup_frequency", 132, Grid("grd_frequency"));
    edtfrequency->FetchDataOnce = true;

    edtbed = LookupEdit("edtbed", 70, "lookup_bed", 463, Grid("grd_bed"));
    edtbed->ColumnWidth = "60,70,60,60,60";
    edtbed->Params.Add(data::Param("p_ward", data::FieldType::String, Variant("0111")));
    edtbed->Params.Add(data::Param("p_dept", data::FieldType::String, Variant("0101")));

    edtNext = new ui::Edit(this);
    edtNext->SetName("edtNext");
    edtNext->SetParent(stgChildStage);
    edtNext->SetBounds(10, 100, 100, 20);
  }
  TtwDBGridDD* Grid(const char* name) {
    auto* g = new TtwDBGridDD(this);
    g->SetName(name);
    g->SetParent(stgChildStage);
    return g;
  }
  TtwDBEditDD* LookupEdit(const char* name, int top, const char* field, int tag, TtwDBGridDD* grid) {
    auto* e = new TtwDBEditDD(this);
    e->SetName(name);
    e->SetParent(stgChildStage);
    e->SetBounds(10, top, 120, 21);
    e->SetDataSource(dtsOrder);
    e->SetDataField(field);
    e->SetListSource(dts_zd);
    e->SetSqlTag(tag);
    e->SetDropDBGrid(grid);
    return e;
  }

  TDCOMConnection* dmc_zd;
  TClientDataSet *cds_zd, *cdsOrder;
  TDataSource *dts_zd, *dtsOrder;
  TtwDBGridDD* grd_order;
  TtwDBEditDD *edtyzname, *edtfrequency, *edtbed;
  ui::Edit* edtNext;
  int afterCreates = 0, rowsTaken = 0;

  // Makes the window with `rows` empty order rows, the first current, and shows it.
  static TfrmLookupDemo* Open(int rows = 2);
};

}  // namespace yz
