// Pins every named operation of the host interfaces to its absolute vtable index: a
// host built elsewhere calls these slots by number.
#include <gtest/gtest.h>

#include "host/correlation.h"
#include "host/fluid.h"
#include "host/variables.h"
#include "vtable_index.h"

using namespace volacor;

TEST(HostSlots, NamedOperationsSitAtTheirIndices) {
    struct Case {
        const char* name;
        std::ptrdiff_t actual;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"IUnknown::QueryInterface", VtableIndex(&IUnknown::QueryInterface), 0},
        {"IUnknown::Release", VtableIndex(&IUnknown::Release), 2},
        {"IClassFactory::CreateInstance", VtableIndex(&IClassFactory::CreateInstance), 3},
        {"IClassFactory::LockServer", VtableIndex(&IClassFactory::LockServer), 4},
        {"IDispatch::GetTypeInfoCount", VtableIndex(&IDispatch::GetTypeInfoCount), 3},
        {"IDispatch::Invoke", VtableIndex(&IDispatch::Invoke), 6},
        {"ICorrelationClient::GetContext", VtableIndex(&ICorrelationClient::GetContext), 3},
        {"ICorrelationContext::GetMaterial", VtableIndex(&ICorrelationContext::GetMaterial), 3},
        {"ICorrelationContext::GetActive", VtableIndex(&ICorrelationContext::GetActive), 4},
        {"ICorrelation::get_Name", VtableIndex(&ICorrelation::get_Name), 7},
        {"ICorrelation::get_ClassId", VtableIndex(&ICorrelation::get_ClassId), 8},
        {"ICorrelation::get_Attribute1", VtableIndex(&ICorrelation::get_Attribute1), 9},
        {"ICorrelation::get_Attribute2", VtableIndex(&ICorrelation::get_Attribute2), 10},
        {"ICorrelation::get_Attribute3", VtableIndex(&ICorrelation::get_Attribute3), 11},
        {"ICorrelation::get_Attribute4", VtableIndex(&ICorrelation::get_Attribute4), 12},
        {"ICorrelation::Attach", VtableIndex(&ICorrelation::Attach), 13},
        {"ICorrelation::Detach", VtableIndex(&ICorrelation::Detach), 14},
        {"ICorrelation::Calculate", VtableIndex(&ICorrelation::Calculate), 15},
        {"ICorrelation::get_Parameters", VtableIndex(&ICorrelation::get_Parameters), 16},
        {"IVariableSet::Add", VtableIndex(&IVariableSet::Add), 7},
        {"IVariableSet::Clone", VtableIndex(&IVariableSet::Clone), 13},
        {"IVariableSet::FindVariable", VtableIndex(&IVariableSet::FindVariable), 17},
        {"IRealVariable::SetTaggedName", VtableIndex(&IRealVariable::SetTaggedName), 4},
        {"IRealVariable::SetDisplayName", VtableIndex(&IRealVariable::SetDisplayName), 6},
        {"IRealVariable::SetFlags", VtableIndex(&IRealVariable::SetFlags), 8},
        {"IRealVariable::GetValue", VtableIndex(&IRealVariable::GetValue), 16},
        {"IRealVariable::SetValue", VtableIndex(&IRealVariable::SetValue), 17},
        {"IRealVectorVariable::SetTaggedName", VtableIndex(&IRealVectorVariable::SetTaggedName), 4},
        {"IRealVectorVariable::SetDisplayName", VtableIndex(&IRealVectorVariable::SetDisplayName), 6},
        {"IRealVectorVariable::SetFlags", VtableIndex(&IRealVectorVariable::SetFlags), 8},
        {"IRealVectorVariable::SetElement", VtableIndex(&IRealVectorVariable::SetElement), 17},
        {"IEnumeratedVariable::SetEnumFlagA", VtableIndex(&IEnumeratedVariable::SetEnumFlagA), 20},
        {"IEnumeratedVariable::SetEnumFlagB", VtableIndex(&IEnumeratedVariable::SetEnumFlagB), 21},
        {"IEnumeratedVariable::SetEnumText", VtableIndex(&IEnumeratedVariable::SetEnumText), 22},
        {"IHostFluid::GetComponentValues", VtableIndex(&IHostFluid::GetComponentValues), 3},
        {"IHostFluid::GetFluidSnapshot", VtableIndex(&IHostFluid::GetFluidSnapshot), 4},
        {"IHostStreamAnalysis::GetAnalysis", VtableIndex(&IHostStreamAnalysis::GetAnalysis), 4},
        {"IHostFluidServices::Flash", VtableIndex(&IHostFluidServices::Flash), 8},
        {"IHostFluidServices::AddMessage", VtableIndex(&IHostFluidServices::AddMessage), 9},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}
