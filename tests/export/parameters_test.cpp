// The parameter-visit action: which parameter it takes for a request, and
// the text it makes of each kind of value.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "export_fixture.hpp"
#include "messages/status_names.hpp"
#include "sim/handles.hpp"
#include "sim/text.hpp"

namespace veltrosan::test {
namespace {

using sim::Parameter;

class VisitParameterTest : public CurrentPartTest {
 protected:
  void SetUp() override {
    CurrentPartTest::SetUp();
    exporter->requests = {AttributeRequest{kCti, 1}, AttributeRequest{"MATERIAL", 1}, AttributeRequest{"MASS", 3}};
    model = &world().addModel(u"BLOCK", PRO_MDL_PART);
  }

  // Visits the model's parameters as part processing does, with the index
  // of the request as data (or none).
  StatusCode visit(const std::int32_t* index) {
    ProModelitem item = sim::modelItem(*model);
    return ProParameterVisit(&item, nullptr, CreoExport::visitParameter,
                             const_cast<std::int32_t*>(index));
  }
  StatusCode visit(std::int32_t index) { return visit(&index); }

  std::string found() const { return sim::utf8(exporter->foundValue); }

  sim::Model* model = nullptr;
};

TEST_F(VisitParameterTest, TheCtiIsTheFirstIntegerOfTheRequestedName) {
  const struct {
    const char* what;
    std::vector<Parameter> parameters;
    std::int32_t cti;
  } cases[] = {
      {"zero", {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 0)}, 0},
      {"a negative value, and a later one changes nothing",
       {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", -7), Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 9)},
       -7},
      {"-1 is none, so a later value still counts",
       {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", -1), Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 5)},
       5},
      {"a double of that name", {Parameter::real(u"COMPARATIVE_TRACKING_INDEX", 600.0)}, -1},
      {"a string of that name", {Parameter::text(u"COMPARATIVE_TRACKING_INDEX", u"600")}, -1},
      {"another case", {Parameter::integer(u"comparative_tracking_index", 600)}, -1},
      {"a trailing blank", {Parameter::integer(u"COMPARATIVE_TRACKING_INDEX ", 600)}, -1},
      {"other names around it",
       {Parameter::integer(u"MASS", 3), Parameter::real(u"COMPARATIVE_TRACKING_INDEX", 1.0),
        Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 175)},
       175},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    model->parameters = c.parameters;
    exporter->foundCti = -1;
    EXPECT_EQ(visit(0), PRO_TK_NO_ERROR);
    EXPECT_EQ(exporter->foundCti, c.cti);
    EXPECT_TRUE(exporter->foundValue.empty());
  }
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(VisitParameterTest, NullDataReadsTheCtiRequest) {
  model->parameters = {Parameter::integer(u"MATERIAL", 4), Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 250)};
  EXPECT_EQ(visit(nullptr), PRO_TK_NO_ERROR);
  EXPECT_EQ(exporter->foundCti, 250);
}

TEST_F(VisitParameterTest, AParameterOfAnotherNameIsNotReadFromTheHost) {
  model->parameters = {Parameter::integer(u"material", 4), Parameter::integer(u"MATERIAL_2", 5)};
  world().log.clear();
  EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
  EXPECT_TRUE(exporter->foundValue.empty());
  EXPECT_EQ(world().log.names(), std::vector<std::string>{"ProParameterVisit"});
}

TEST_F(VisitParameterTest, TheTextOfEachKindOfValue) {
  const struct {
    Parameter parameter;
    std::string text;
  } cases[] = {
      {Parameter::real(u"MATERIAL", 2.0), "2"},
      {Parameter::real(u"MATERIAL", 0.5), "0.5"},
      {Parameter::real(u"MATERIAL", -0.25), "-0.25"},
      {Parameter::real(u"MATERIAL", 3.14159265), "3.14159"},
      {Parameter::real(u"MATERIAL", 100000.0), "100000"},
      {Parameter::real(u"MATERIAL", 123456.7), "123457"},
      {Parameter::real(u"MATERIAL", 0.0001), "0.0001"},
      {Parameter::real(u"MATERIAL", 0.000123456789), "0.000123457"},
      {Parameter::real(u"MATERIAL", 1000000.0), "1e+006"},
      {Parameter::real(u"MATERIAL", 999999.7), "1e+006"},
      {Parameter::real(u"MATERIAL", 1609344.0), "1.60934e+006"},
      {Parameter::real(u"MATERIAL", 0.00001), "1e-005"},
      {Parameter::real(u"MATERIAL", -2.5e-7), "-2.5e-007"},
      {Parameter::real(u"MATERIAL", 1e100), "1e+100"},
      {Parameter::real(u"MATERIAL", 1.5e-300), "1.5e-300"},
      {Parameter::real(u"MATERIAL", 0.0), "0"},
      {Parameter::integer(u"MATERIAL", 42), "42"},
      {Parameter::integer(u"MATERIAL", -12), "-12"},
      {Parameter::integer(u"MATERIAL", 1234567), "1234567"},
      {Parameter::text(u"MATERIAL", u"Steel 1.4301"), "Steel 1.4301"},
      {Parameter::text(u"MATERIAL", u"\u00C9tain \U0001F600"), "\xC3\x89tain \xF0\x9F\x98\x80"},
      {Parameter::text(u"MATERIAL", std::u16string(80, u'x')), std::string(80, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    model->parameters = {c.parameter};
    exporter->foundValue.clear();
    EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
    EXPECT_EQ(found(), c.text);
  }
}

TEST_F(VisitParameterTest, AnEmptyStringAndUnreadTypesStoreNothing) {
  model->parameters = {Parameter::text(u"MATERIAL", u"")};
  EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
  EXPECT_TRUE(exporter->foundValue.empty());

  model->parameters = {Parameter::ofType(u"MATERIAL", PRO_PARAM_BOOLEAN), Parameter::ofType(u"MATERIAL", 54)};
  world().log.clear();
  EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
  EXPECT_TRUE(exporter->foundValue.empty());
  EXPECT_EQ(world().log.count("ProParamvalueValueGet"), 0);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(VisitParameterTest, TheFirstValueStaysButASecondMatchIsStillAskedFor) {
  model->parameters = {Parameter::text(u"MATERIAL", u"Brass"), Parameter::text(u"MATERIAL", u"Steel"),
                       Parameter::real(u"MASS", 1.0)};
  world().log.clear();
  EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
  EXPECT_EQ(found(), "Brass");
  EXPECT_EQ(world().log.count("ProParameterValueWithUnitsGet"), 2);
  EXPECT_EQ(world().log.count("ProParamvalueTypeGet"), 2);
  EXPECT_EQ(world().log.count("ProParamvalueValueGet"), 1);
}

TEST_F(VisitParameterTest, EachHostFailureIsReportedAndEndsTheVisit) {
  const struct {
    const char* function;
    StatusCode status;
  } cases[] = {
      {"ProParameterValueWithUnitsGet", PRO_TK_BAD_INPUTS},
      {"ProParamvalueTypeGet", PRO_TK_GENERAL_ERROR},
      {"ProParamvalueValueGet", PRO_TK_INVALID_TYPE},
      {"ProParamvalueValueGet", PRO_TK_E_NOT_FOUND},
  };
  for (std::int32_t index : {0, 1}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.function) + " for request " + std::to_string(index));
      model->parameters = {Parameter::integer(u"MATERIAL", 8), Parameter::integer(u"COMPARATIVE_TRACKING_INDEX", 9),
                           Parameter::integer(u"MATERIAL", 10)};
      exporter->foundCti = -1;
      exporter->foundValue = index == 1 ? u"" : u"kept";
      world().faults.clear();
      world().messages.shown.clear();
      world().faults.failOn(c.function, 1, c.status);
      EXPECT_EQ(visit(index), c.status);
      EXPECT_EQ(shownTexts(), std::vector<std::string>{"Warning: " + std::string(c.function) + ": (" +
                                                       errorName(c.status) + ")"});
      EXPECT_EQ(exporter->foundCti, -1);
      EXPECT_EQ(found(), index == 1 ? "" : "kept");
    }
  }
}

TEST_F(VisitParameterTest, AnIndexOutsideTheRequestsReadsNothing) {
  model->parameters = {Parameter::integer(u"MATERIAL", 8)};
  world().log.clear();
  EXPECT_EQ(visit(3), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(visit(-1), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(world().log.count("ProParameterValueWithUnitsGet"), 0);
  EXPECT_TRUE(exporter->foundValue.empty());
}

TEST_F(VisitParameterTest, NamesAreComparedInTheirWholeUtf8Form) {
  exporter->requests[1].name = "\xC3\x9C" "BERZUG_\xE2\x82\xAC";  // "ÜBERZUG_€"
  model->parameters = {Parameter::text(u"\u00DCBERZUG_", u"no"), Parameter::text(u"\u00DCBERZUG_\u20AC", u"yes")};
  EXPECT_EQ(visit(1), PRO_TK_NO_ERROR);
  EXPECT_EQ(found(), "yes");
}

}  // namespace
}  // namespace veltrosan::test
