#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Variable;
class InfoValueVar;
class Relation;
class TableauBit;

// Abstract constraint of the network.  Holds the scope, the dom/wdeg weight
// (`score`), the local-search weight and bit tables, the conflict-count tables
// of the preprocessing and scratch tuples.  Concrete classes filter domains
// through `revise` and decide complete tuples through `tupleExist`.
//
// Scope layout: 2 * arity entries, entry i holding the variable at position
// i mod arity, so that entries startScopeFrom(pos) .. endScopeFrom(pos) - 1
// visit the other variables cyclically starting after pos.
class Constraint {
 public:
  int indCont;              // first slot of this constraint in the propagation flags
  int idCont;               // id given by the builder
  int arity;
  int wherefalse;           // local search: index in the list of falsified constraints
  int max_comb_for_revise;  // threshold of candidateForRevise
  int* tupleVal;            // scratch tuple of values, by scope position
  int* tabVarConflict;      // per position: largest conflict count of a live value
  int** tabConflict;        // [pos][prop]: conflicting tuples of that value
  bool preprosPerform;      // conflict tables valid, shortcuts allowed
  bool* tupleOK;            // scratch: position holds a fixed value
  double score;             // dom/wdeg weight
  double staticScore;       // weight for the constraint-selection heuristics
  std::string name;
  Relation* rel;            // null for global constraints
  TableauBit* tabBit;       // local search: one bit table per position
  Variable** scope;         // 2 * arity entries
  int weight;               // local-search weight
  int scoreRL;
  bool soft;
  bool blocked;
  bool soonCreate;          // conflict tables allocated
  bool soonCreateTab;       // tabBit allocated
  bool active;              // removed a value since last cleared
  int isuniversal;          // cached universality status (-1 unknown)
  int decompositionId;
  int* conflictTuple;       // last tuple found to violate the constraint

 public:
  // Class-wide counters.
  static int numero;             // running total of arities (next indCont)
  static uint64_t nbChecks;      // constraint checks performed
  static double weightUp;        // increment of score at a wipe-out

  // Value stamp table shared by all constraints: a value is marked by writing
  // the current stamp into its cell; a new stamp voids every earlier mark.
  // Values in [offsetAllValues, offsetAllValues + sizeTabAllValues) use the
  // direct table; any other value (and every value when the declared range is
  // too wide for a direct table) goes to a small open-addressing table, so a
  // huge value range never allocates one cell per integer.
  static unsigned stampAllValues;
  static unsigned sizeTabAllValues;
  static unsigned* tabStampAllValues;
  static int offsetAllValues;
  static bool stampTableBuilt;
  static int* hashKeyAllValues;
  static unsigned* hashStampAllValues;
  static unsigned hashMaskAllValues;   // capacity - 1 (capacity a power of two)
  static unsigned hashUsedAllValues;   // entries carrying the current stamp

  // Largest value range for which a direct table is built.
  static constexpr long long maxDirectStampRange = 1LL << 22;

  // Builds the stamp table from Variable::smallestValue / biggestValue.
  static void buildStampTable();
  // Starts a new marking pass: voids every mark.  A stamp past 2^31 clears
  // both tables and restarts at 1, so stamps never wrap around.
  static inline void nextStamp() {
    if (stampAllValues >= 2147483648u) {
      clearStampTable();
    } else {
      ++stampAllValues;
      hashUsedAllValues = 0;
    }
  }
  static void clearStampTable();
  static inline bool isStamped(int v) {
    long long d = (long long)v - offsetAllValues;
    if ((unsigned long long)d < sizeTabAllValues) return tabStampAllValues[d] == stampAllValues;
    return hashFind(v);
  }
  static inline void stampValue(int v) {
    long long d = (long long)v - offsetAllValues;
    if ((unsigned long long)d < sizeTabAllValues)
      tabStampAllValues[d] = stampAllValues;
    else
      hashInsert(v);
  }
  // Marks v and tells whether it was already marked in this pass.
  static inline bool testAndStamp(int v) {
    long long d = (long long)v - offsetAllValues;
    if ((unsigned long long)d < sizeTabAllValues) {
      if (tabStampAllValues[d] == stampAllValues) return true;
      tabStampAllValues[d] = stampAllValues;
      return false;
    }
    if (hashFind(v)) return true;
    hashInsert(v);
    return false;
  }

 private:
  static bool hashFind(int v);
  static void hashInsert(int v);
  static void hashGrow();

 protected:
  // Performs the base construction contract: registers the constraint with
  // every scope variable, takes indCont from numero and allocates the scratch
  // arrays and the scope of 2 * ar entries.  sc holds ar variables.
  Constraint(const std::string& nm, Variable** sc, Relation* r, int ar, int id);

 public:
  // --- virtual operations ---
  virtual bool candidateForRevise();
  virtual bool projection(std::vector<unsigned>& out);
  virtual bool tupleExist(int* tuple) = 0;
  virtual void switched(int pos) = 0;
  virtual bool revise(Variable* v, int pos) = 0;
  virtual bool softRevise(Variable* v, int pos) = 0;
  virtual bool initTabConflit();
  virtual void addExpr(Relation* r, int n, int* values, Variable** vars);
  virtual void computeTableRelation(std::vector<std::vector<int>>& table, bool& type);
  virtual Variable* giveAleaVariable() = 0;
  virtual int giveAleatNumber() = 0;

  // --- generic algorithms ---
  bool reviseUnary();
  bool universalisation(int i);
  bool isUniversal();
  void computeTableSupportAndConflict(std::vector<std::vector<int>>& supports,
                                      std::vector<std::vector<int>>& conflicts);
  // Product of the current sizes of the scope variables other than pos,
  // saturated at INT32_MAX (exact for every comparison with a table count).
  long long productOthers(int pos) const;
  bool isRevisable(int pos) const;

  double bumpScore() { score += weightUp; return score; }
  void decreaseScore() { score *= 1e-20; }
  void updateWeight(int w);
  void initTabBit();
  void initTabVarConflict();
  void reinit();
  void setBit(int pos, int k, int b);
  int getBit(int pos, int k) const;
  int getTabConflit(int pos, int k) const { return tabConflict[pos][k]; }
  int getNbCombMax() const { return max_comb_for_revise; }
  void aff();

  int startScopeFrom(int pos) const { return pos + 1; }
  int endScopeFrom(int pos) const { return pos + arity; }  // exclusive

  // --- accessors ---
  bool isActive() const { return active; }
  void makeActive() { active = true; }
  void makeActive(bool b) { active = b; }
  void unmakeActive() { active = false; }
  bool isBlocked() const { return blocked; }
  void makeBlocked() { blocked = true; }
  void unmakeBlocked() { blocked = false; }
  bool isSoft() const { return soft; }
  void makeSoft() { soft = true; }
  void unmakeSoft() { soft = false; }
  void setWeight(int w) { weight = w; }
  int getWeight() const { return weight; }
  std::string getName() const { return name; }
  int getIndCont() const { return indCont; }
  int getId() const { return idCont; }
  int getArity() const { return arity; }
  int getWhereFalse() const { return wherefalse; }
  void setWhereFalse(int w) { wherefalse = w; }
  int getDecompositionId() const { return decompositionId; }
  void setDecompositionId(int d) { decompositionId = d; }
  int* getTupleVal() { return tupleVal; }
  bool* getTupleOK() { return tupleOK; }
  Variable** getScope() { return scope; }
  Variable* getVarScope(int i) const { return scope[i]; }
  std::string getNameRelation() const;
  Relation* getRelation() const { return rel; }
  double getScore() const { return score; }
  void setScore(double s) { score = s; }
  double getStaticScore() const { return staticScore; }
  void setStaticScore(double s) { staticScore = s; }
  int getScoreRL() const { return scoreRL; }
  void setScoreRL(int s) { scoreRL = s; }
  void incScoreRL() { ++scoreRL; }
  int getIsUniversal() const { return isuniversal; }
  void setIsUniversal(int u) { isuniversal = u; }
  bool getPreprosPerform() const { return preprosPerform; }
  int* getTabVarConflict() const { return tabVarConflict; }
  TableauBit* getTabBit() const { return tabBit; }
  bool getSoonCreateTab() const { return soonCreateTab; }
  void setSoonCreateTab(bool b) { soonCreateTab = b; }
  int* getConflictTuple() const { return conflictTuple; }
};
