// Inputs the reader must reject, each with its message: the checks of the
// tag machine beyond the fixtures of fixtures/bad/, and the inputs whose
// handling is the reader's own choice (over-long tuples, unmatched brackets,
// misplaced roots, intervals with an empty bound).

#include <gtest/gtest.h>

#include "unit/xcsp/ReaderHarness.h"

using namespace vantor_test;

namespace {

// Three variables X, Y, Z over D = 0..2; the test text follows.
const std::string prelude =
    "<instance><domains nbDomains='1'><domain name='D' nbValues='3'>0..2</domain></domains>"
    "<variables nbVariables='3'><variable name='X' domain='D'/><variable name='Y' domain='D'/>"
    "<variable name='Z' domain='D'/></variables>";

std::string relation(const std::string& attributes, const std::string& tuples) {
  return prelude + "<relations nbRelations='1'><relation name='R' " + attributes + ">" + tuples +
         "</relation></relations></instance>";
}

std::string params(const std::string& reference, const std::string& content) {
  return prelude + "<constraints nbConstraints='1'><constraint name='C' arity='3' scope='X Y Z' "
                   "reference='" + reference + "'>" + content + "</constraint></constraints></instance>";
}

struct ErrorCase {
  const char* name;
  std::string xml;
  const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

const std::string hard2 = "arity='2' nbTuples='2' semantics='conflicts'";
const std::string soft2 = "arity='2' nbTuples='2' semantics='soft' defaultCost='1'";

std::vector<ErrorCase> errorCases() {
  return {
      // Relation tuples.
      {"incomplete_last_tuple", relation(hard2, "1 2|3"), "last tuple is incomplete !"},
      {"empty_tuple", relation(hard2, "1 2||3 4"), "unexpected pipe ('|') in relation"},
      {"leading_pipe", relation(hard2, "|1 2|3 4"), "unexpected pipe ('|') in relation"},
      {"cost_in_hard_relation", relation(hard2, "10:1 2|0 0"), "unexpected colon (':') in relation"},
      {"cost_after_two_values", relation(soft2, "1 2:3 4|0 0"), "unexpected colon (':') in relation"},
      {"tuple_longer_than_arity", relation(hard2, "1 2 3|4 5"),
       "tuple has more values than the relation's arity"},
      {"huge_arity_one_value",
       relation("arity='2000000000' nbTuples='0' semantics='supports'", "5"),
       "last tuple is incomplete !"},
      {"bad_tuple_value", relation(hard2, "1 2|3 0x4"), "failed to read integer"},
      {"too_few_tuples", relation(hard2, "1 2"),
       "effective number of tuples doesn't match the announced number"},
      {"text_in_relations",
       prelude + "<relations nbRelations='0'>x</relations></instance>",
       "<relations> tag should not have meaningful text"},
      {"element_in_relation", relation(hard2, "1 2<i>3</i>"),
       "this element must not contain any element"},
      // Relation attributes, checked in order.
      {"relation_no_arity", relation("nbTuples='0' semantics='supports'", ""),
       "expected attribute arity for tag <relation>"},
      {"relation_arity_not_integer", relation("arity='two' nbTuples='0' semantics='supports'", ""),
       "expected attribute arity for tag <relation>"},
      {"relation_negative_arity", relation("arity='-1' nbTuples='0' semantics='supports'", ""),
       "arity must be >0"},
      {"relation_no_name",
       prelude + "<relations nbRelations='1'><relation arity='1' nbTuples='0' semantics='supports'/>"
                 "</relations></instance>",
       "expected attribute name for tag <relation>"},
      {"relation_no_semantics", relation("arity='1' nbTuples='0'", ""),
       "expected attribute semantics for tag <relation>"},
      {"relation_semantics_case", relation("arity='1' nbTuples='0' semantics='Supports'", ""),
       "unknown semantics for tag <relation>"},
      // Domains.
      {"interval_without_lower_bound",
       "<instance><domains nbDomains='1'><domain name='D' nbValues='3'>..5</domain></domains></instance>",
       "missing bound in domain interval ..5"},
      {"interval_without_upper_bound",
       "<instance><domains nbDomains='1'><domain name='D' nbValues='3'>1 5..</domain></domains></instance>",
       "missing bound in domain interval 5.."},
      {"domains_without_count", "<instance><domains/></instance>",
       "expected attribute nbDomains for tag <domains>"},
      {"domain_without_name",
       "<instance><domains nbDomains='1'><domain nbValues='1'>0</domain></domains></instance>",
       "expected attribute name for tag <domain>"},
      {"variable_without_name",
       "<instance><variables nbVariables='1'><variable domain='D'/></variables></instance>",
       "expected attribute name for tag <variable>"},
      {"variable_without_domain",
       "<instance><variables nbVariables='1'><variable name='X'/></variables></instance>",
       "expected attribute domain for tag <variable>"},
      {"relations_without_count", "<instance><relations/></instance>",
       "expected attribute nbRelation for tag <relations>"},
      {"predicates_bad_count", "<instance><predicates nbPredicates='1 2'/></instance>",
       "expected attribute nbPredicate for tag <predicates>"},
      {"predicate_without_name",
       "<instance><predicates nbPredicates='1'><predicate/></predicates></instance>",
       "expected attribute name for tag <predicate>"},
      {"constraints_without_count", "<instance><constraints/></instance>",
       "expected attribute nbConstraints for tag <constraints>"},
      {"constraint_without_arity",
       prelude + "<constraints nbConstraints='1'><constraint name='C' scope='X' "
                 "reference='global:allDifferent'/></constraints></instance>",
       "expected attribute arity for tag <constraint>"},
      {"constraint_without_name",
       prelude + "<constraints nbConstraints='1'><constraint arity='1' scope='X' "
                 "reference='global:allDifferent'/></constraints></instance>",
       "expected attribute name for tag <constraint>"},
      {"constraint_without_reference",
       prelude + "<constraints nbConstraints='1'><constraint name='C' arity='1' scope='X'/>"
                 "</constraints></instance>",
       "expected attribute reference for tag <constraint>"},
      {"global_prefix_alone",
       prelude + "<constraints nbConstraints='1'><constraint name='C' arity='1' scope='X' "
                 "reference='GLOBAL:'/></constraints></instance>",
       "symbol GLOBAL: is undefined"},
      // Texts and elements where none may stand.
      {"text_in_instance", "<instance>hello</instance>",
       "<instance> tag should not have meaningful text"},
      {"text_in_variables", "<instance><variables nbVariables='0'>x</variables></instance>",
       "<variables> tag should not have meaningful text"},
      {"text_in_predicates", "<instance><predicates nbPredicates='0'>x</predicates></instance>",
       "<predicates> tag should not have meaningful text"},
      {"text_in_constraints", "<instance><constraints nbConstraints='0'>x</constraints></instance>",
       "<constraints> tag should not have meaningful text"},
      {"element_in_presentation", "<instance><presentation><domains/></presentation></instance>",
       "this element must not contain any element"},
      {"element_in_formal_parameters",
       "<instance><predicates nbPredicates='1'><predicate name='P'><parameters>int X<i>1</i>"
       "</parameters></predicate></predicates></instance>",
       "this element must not contain any element"},
      {"text_in_expression",
       "<instance><predicates nbPredicates='1'><predicate name='P'><parameters>int X</parameters>"
       "<expression>X<functional>X</functional></expression></predicate></predicates></instance>",
       "<expression> tag should not have meaningful text"},
      // Roots that need a parent.
      {"expression_root", "<expression><functional>eq(X,1)</functional></expression>",
       "unexpected <expression> tag"},
      {"parameters_root", "<parameters>int X</parameters>", "unexpected <parameters> tag"},
      {"functional_root", "<functional>eq(1,1)</functional>",
       "tag has no parent but it should have one"},
      {"presentation_root", "<presentation name='x'/>", "tag has no parent but it should have one"},
      {"variable_in_domains",
       "<instance><domains nbDomains='1'><variable name='X' domain='D'/></domains></instance>",
       "wrong parent for tag"},
      // Constraint parameters at the end of the constraint.
      {"two_parameter_lists", params("global:allDifferent", "<parameters>X</parameters><parameters>Y</parameters>"),
       "internal error while handling constraint parameters"},
      {"integer_as_parameters", params("global:allDifferent", "<i>5</i>"),
       "constraint parameters doesn't appear to be a list"},
      // Brackets of the abridged notation.
      {"closing_bracket_alone", params("global:allDifferent", "<parameters>X ] Y</parameters>"),
       "unmatched ']' or '}' in parameters"},
      {"closing_brace_alone", params("global:allDifferent", "<parameters>}</parameters>"),
       "unmatched ']' or '}' in parameters"},
      {"closing_bracket_ends_list_element",
       params("global:allDifferent", "<parameters><list>X ]</list></parameters>"),
       "unmatched ']' or '}' in parameters"},
      {"bracket_closing_outside_its_element",
       params("global:allDifferent", "<parameters><list>[X</list>]</parameters>"),
       "missing ']' or '}' in parameters"},
      {"unclosed_bracket", params("global:allDifferent", "<parameters>[X [Y]</parameters>"),
       "missing ']' or '}' in parameters"},
      {"nesting_too_deep",
       params("global:allDifferent", "<parameters>" + std::string(1001, '[') +
                                         std::string(1001, ']') + "</parameters>"),
       "lists and dictionaries nested too deeply in parameters"},
      // Dictionary keys.
      {"key_outside_dictionary", params("global:allDifferent", "<parameters>/coef 3</parameters>"),
       "dictionary key outside a dictionary"},
      {"key_in_list", params("global:allDifferent", "<parameters>[ /a X ]</parameters>"),
       "dictionary key outside a dictionary"},
      {"key_as_value", params("global:weightedSum", "<parameters>[{/a /coef /var X}]</parameters>"),
       "dictionary key without a value"},
      {"entry_without_key",
       params("global:weightedSum", "<parameters><dict><entry>1</entry></dict></parameters>"),
       "expected attribute key for tag <entry>"},
      // Values.
      {"var_without_name", params("global:allDifferent", "<parameters><var/></parameters>"),
       "expected attribute name for tag <var>"},
      {"var_undefined", params("global:allDifferent", "<parameters><var name='W'/></parameters>"),
       "symbol W is undefined"},
      {"text_in_var", params("global:allDifferent", "<parameters><var name='X'>Y</var></parameters>"),
       "<var> tag should not have meaningful text"},
      {"blank_i", params("global:allDifferent", "<parameters><i> </i></parameters>"),
       "invalid integer in <i> element"},
      {"text_in_list", params("global:allDifferent", "<parameters><list>X @</list></parameters>"),
       "<list> tag should not have meaningful text"},
      {"text_in_dict", params("global:weightedSum", "<parameters><dict>1 X #</dict></parameters>"),
       "<dict> tag should not have meaningful text"},
      {"text_in_entry",
       params("global:weightedSum", "<parameters><dict><entry key='a'>?</entry></dict></parameters>"),
       "<entry> tag should not have meaningful text"},
      {"text_in_nil", params("global:cumulative", "<parameters><nil>x</nil></parameters>"),
       "<nil/> tag must not have any text"},
      {"variable_cut_at_dot", params("global:allDifferent", "<parameters>X.5</parameters>"),
       "<parameters> tag should not have meaningful text"},
      {"integer_then_name", params("global:allDifferent", "<parameters>12abc</parameters>"),
       "symbol abc is undefined"},
      {"conventional_dict_without_order",
       params("global:allDifferent", "<parameters>{1 X}</parameters>"),
       "no conventional key order defined for this dictionary"},
  };
}

class ReaderError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderError, StopsWithMessage) {
  ReadResult r = readDocument(GetParam().xml);
  ASSERT_TRUE(r.failed) << r.transcript();
  EXPECT_EQ(GetParam().message, r.error);
  EXPECT_EQ(0u, r.out.find("Exception at line ")) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderError, testing::ValuesIn(errorCases()),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
