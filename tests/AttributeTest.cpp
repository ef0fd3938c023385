#include <BufferApi.h>

#include "C_Attribute.h"
#include "C_AttributeNode.h"
#include "C_AttributePlane.h"
#include "C_AttributeScale.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
using NodePtr = std::unique_ptr<I_AttributeBase>;
using Names = std::vector<std::string>;

// Counts live instances, so that tests can see what was deleted.
class CountedAttribute : public C_AttributeNode
{
public:
  explicit CountedAttribute(const std::string& name, int* live)
      : C_AttributeNode(name)
      , m_live(live)
  {
    ++*m_live;
  }
  ~CountedAttribute() override { --*m_live; }

private:
  int* m_live;
};

Names ChildNames(const I_AttributeBase& node)
{
  std::vector<I_AttributeBase*> children;
  node.GetChildren(children);
  Names names;
  for (const I_AttributeBase* child : children)
  {
    names.push_back(child->GetName());
  }
  return names;
}

C_Attribute<double>* Double(const std::string& name, double value)
{
  return new C_Attribute<double>(name, value);
}

I_Scale* Linear(double factor, const std::string& unit)
{
  return C_ScaleFactory::GetInstance().CreateLinearScale(factor, 0.0, unit, "");
}

I_AttributeBase* Find(I_AttributeBase* root, const std::string& path)
{
  return I_AttributeBase::FindPath(root, path);
}

I_AttributeBase* Create(I_AttributeBase* root, const std::string& path, I_AttributeBase* attribute)
{
  return I_AttributeBase::CreatePath(root, path, attribute);
}

template <typename T>
T ValueOf(I_AttributeBase& attribute)
{
  return dynamic_cast<I_Attribute<T>&>(attribute).GetValue();
}
} // namespace

// --- Nodes and children -----------------------------------------------------

TEST(AttributeNode, ChildrenKeepOrderDuplicatesAndExactLookups)
{
  C_AttributeNode root("root");
  root.AddChild(new C_AttributeNode("b"));
  root.AddChild(new C_AttributeNode("a"));
  root.AddChild(Double("b", 2.0));
  root.AddChild(new C_AttributeNode(""));
  root.AddChild(nullptr);
  root.AddChild(&root);
  EXPECT_EQ(ChildNames(root), (Names{"b", "a", "b", ""}));
  EXPECT_EQ(root.FindChild("B"), nullptr);
  // The first of two equal names is found and removed.
  EXPECT_EQ(root.FindChild("b")->GetType(), AttrNode);
  root.RemoveChild("b");
  root.RemoveChild("missing");
  EXPECT_EQ(ChildNames(root), (Names{"a", "b", ""}));
  EXPECT_EQ(root.FindChild("b")->GetType(), AttrDouble);
  root.RemoveAllChildren();
  std::vector<I_AttributeBase*> out{&root};
  root.GetChildren(out);
  EXPECT_TRUE(out.empty());
}

// Children are deleted on removal and destruction; an attribute implemented
// outside the library is owned and cloned like a library one.
TEST(AttributeNode, OwnsLibraryAndForeignChildren)
{
  class Foreign : public I_AttributeBase
  {
  public:
    explicit Foreign(int* live)
        : m_live(live)
    {
      ++*m_live;
    }
    ~Foreign() override { --*m_live; }
    bool IsSameType(const I_BufferLibObject* other) const override { return other == this; }
    bool IsNotEqual(const I_BufferLibObject* other) const override { return other != this; }
    bool IsEqual(const I_BufferLibObject* other) const override { return other == this; }
    void AddChild(I_AttributeBase* child) override { delete child; }
    I_AttributeBase* Clone() const override { return new Foreign(m_live); }
    void RemoveChild(const std::string&) override {}
    void RemoveAllChildren() override {}
    void GetChildren(std::vector<I_AttributeBase*>& out) const override { out.clear(); }
    I_AttributeBase* FindChild(const std::string&) const override { return nullptr; }
    std::size_t GetNumberOfChildren() const override { return 0; }
    std::string GetName() const override { return "foreign"; }
    E_AttributeType GetType() const override { return AttrNode; }
    void SetName(const std::string&) override {}
    void* GetRawData() override { return nullptr; }

  private:
    int* m_live;
  };

  int live = 0;
  {
    C_AttributeNode root;
    auto* middle = new C_AttributeNode("m");
    root.AddChild(middle);
    middle->AddChild(new CountedAttribute("x", &live));
    root.AddChild(new Foreign(&live));
    root.RemoveChild("m");
    EXPECT_EQ(live, 1);
    NodePtr copy(root.Clone());
    EXPECT_EQ(live, 2);
    EXPECT_TRUE(root.IsEqual(copy.get()));
  }
  EXPECT_EQ(live, 0);
}

TEST(AttributeValue, RawDataPointsAtTheStoredValue)
{
  C_Attribute<int> number("n", 0);
  *static_cast<int*>(number.GetRawData()) = 42;
  EXPECT_EQ(number.GetValue(), 42);
  C_Attribute<std::string> text("t", "abc");
  EXPECT_STREQ(static_cast<const char*>(text.GetRawData()), "abc");
}

// --- Equality -------------------------------------------------------------------

TEST(AttributeEqual, ComparesClassNameAndOwnValueButNeverNaN)
{
  C_Attribute<double> a("v", 1.0);
  C_Attribute<double> b("v", 1.0);
  EXPECT_FALSE(a.IsNotEqual(&b));
  b.SetValue(1.5);
  EXPECT_FALSE(a.IsEqual(&b));

  C_Attribute<std::string> s1("s", std::string("ab\0c", 4));
  C_Attribute<std::string> s2("s", std::string("ab\0d", 4));
  EXPECT_FALSE(s1.IsEqual(&s2));
  EXPECT_FALSE(a.IsEqual(nullptr));
  C_Attribute<double> nan("v", std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(nan.IsEqual(&nan));
}

// Children count by structure (names, depth), not by value; equality is
// one-sided: children the other side has beyond this node's are not looked at.
TEST(AttributeEqual, ChildrenCountByStructureOneSided)
{
  C_Attribute<double> a("v", 1.0);
  C_Attribute<double> b("v", 1.0);
  a.AddChild(Double("x", 1.0));
  b.AddChild(Double("x", 2.0));
  EXPECT_TRUE(a.IsEqual(&b)) << "child values are not compared";
  C_Attribute<double> c("v", 1.0);
  c.AddChild(Double("y", 1.0));
  EXPECT_FALSE(a.IsEqual(&c)) << "child names are compared";

  C_AttributeNode few("n");
  C_AttributeNode many("n");
  few.AddChild(new C_AttributeNode("a"));
  many.AddChild(new C_AttributeNode("a"));
  many.AddChild(new C_AttributeNode("b"));
  EXPECT_TRUE(few.IsEqual(&many));
  EXPECT_FALSE(many.IsEqual(&few));
}

TEST(AttributeClone, DeepCopyKeepsOrderValuesAndIsIndependent)
{
  C_Attribute<int> root("root", 7);
  root.AddChild(Double("c", 3.0));
  root.AddChild(new C_Attribute<std::string>("a", "text"));
  root.AddChild(new C_AttributeNode("b"));
  root.FindChild("b")->AddChild(new C_Attribute<unsigned short>("leaf", 9));

  NodePtr copy(root.Clone());
  EXPECT_EQ(ChildNames(*copy), (Names{"c", "a", "b"}));

  auto& copiedLeaf = dynamic_cast<I_Attribute<unsigned short>&>(*Find(copy.get(), "b.leaf"));
  copiedLeaf.SetValue(10);
  EXPECT_EQ(ValueOf<unsigned short>(*Find(&root, "b.leaf")), 9u);
  // The original can go first; the copy stays valid.
  root.RemoveAllChildren();
  EXPECT_EQ(copy->GetNumberOfChildren(), 3u);
}

// --- Path operations ----------------------------------------------------------------

TEST(AttributePath, CreatePathBuildsMissingNodesNamesTheLeafAndUsesValuesAsParents)
{
  C_AttributeNode root;
  auto* leaf = Double("whatever", 5.0);
  EXPECT_EQ(Create(&root, "A.B.C", leaf), leaf);
  EXPECT_EQ(leaf->GetName(), "C");
  EXPECT_EQ(Find(&root, "A.B")->GetType(), AttrNode);
  EXPECT_EQ(Find(&root, "A.B.C"), leaf);

  // A null attribute makes a plain node.
  EXPECT_EQ(Create(&root, "P.Q", nullptr)->GetType(), AttrNode);

  // A value leaf serves as parent and keeps its value.
  auto* below = new C_Attribute<int>("", 1);
  EXPECT_EQ(Create(&root, "A.B.C.sub", below), below);
  EXPECT_EQ(leaf->FindChild("sub"), below);
  EXPECT_EQ(leaf->GetValue(), 5.0);
}

TEST(AttributePath, CreatePathReplacesTheExistingNodeWithItsSubtree)
{
  int live = 0;
  C_AttributeNode root;
  auto* first = new CountedAttribute("x", &live);
  Create(&root, "A.B.C", first);
  first->AddChild(new CountedAttribute("under", &live));
  I_AttributeBase* a = root.FindChild("A");
  I_AttributeBase* b = a->FindChild("B");
  EXPECT_EQ(live, 2);

  auto* second = Double("y", 2.0);
  EXPECT_EQ(Create(&root, "A.B.C", second), second);
  EXPECT_EQ(live, 0) << "the old leaf and its subtree are deleted, not merged";
  EXPECT_EQ(root.FindChild("A"), a);
  EXPECT_EQ(a->FindChild("B"), b);
  EXPECT_EQ(ChildNames(*b), (Names{"C"}));

  // An intermediate node is replaced the same way.
  auto* replacement = new C_Attribute<int>("", 3);
  Create(&root, "A", replacement);
  EXPECT_EQ(root.FindChild("A"), replacement);
  EXPECT_EQ(Find(&root, "A.B"), nullptr);
}

// At the root a surviving duplicate is returned and the new attribute deleted;
// below the root the replacement is repeated, so both duplicates go.
TEST(AttributePath, DuplicateNamesAtAndBelowTheRoot)
{
  int live = 0;
  C_AttributeNode root;
  root.AddChild(Double("X", 1.0));
  auto* second = Double("X", 2.0);
  root.AddChild(second);
  EXPECT_EQ(Create(&root, "X", new CountedAttribute("new", &live)), second);
  EXPECT_EQ(live, 0) << "the attribute that was not inserted must not leak";
  EXPECT_EQ(ChildNames(root), (Names{"X"}));

  second->AddChild(Double("Y", 1.0));
  second->AddChild(Double("Y", 2.0));
  auto* inserted = new C_Attribute<int>("", 5);
  EXPECT_EQ(Create(&root, "X.Y", inserted), inserted);
  EXPECT_EQ(ChildNames(*second), (Names{"Y"}));
}

TEST(AttributePath, OwnPathAndNullRoot)
{
  C_AttributeNode root;
  auto* leaf = Double("", 1.0);
  Create(&root, "A.L", leaf);
  EXPECT_EQ(Create(&root, "A.L", leaf), leaf) << "an attribute already at its path stays";
  EXPECT_EQ(Find(&root, "A.L"), leaf);

  int live = 0;
  EXPECT_EQ(Create(nullptr, "A", new CountedAttribute("", &live)), nullptr);
  EXPECT_EQ(live, 0);
  I_AttributeBase::DeletePath(nullptr, "A");
}

TEST(AttributePath, FindPathMatchesSegmentsExactlyIncludingEmptyOnes)
{
  C_AttributeNode root;
  auto* a = new C_AttributeNode("A");
  root.AddChild(a);
  auto* unnamed = new C_AttributeNode("");
  a->AddChild(unnamed);
  auto* c = new C_AttributeNode("C");
  unnamed->AddChild(c);
  a->AddChild(new C_AttributeNode("C"));

  EXPECT_EQ(Find(&root, "A..C"), c);
  EXPECT_EQ(Find(&root, "A."), a) << "an empty rest ends the search";
  EXPECT_EQ(Find(a, ""), unnamed);
  for (const char* missing : {"a", "A.C.D", "", ".A"})
  {
    EXPECT_EQ(Find(&root, missing), nullptr) << missing;
  }
}

TEST(AttributePath, DeletePathRemovesOnlyWhatExists)
{
  C_AttributeNode root;
  Create(&root, "A.B", nullptr);
  Create(&root, "A.C", nullptr);
  for (const char* missing : {"A.missing", "missing.B", "missing"})
  {
    I_AttributeBase::DeletePath(&root, missing);
  }
  EXPECT_EQ(ChildNames(*root.FindChild("A")), (Names{"B", "C"}));
  I_AttributeBase::DeletePath(&root, "A.B");
  EXPECT_EQ(ChildNames(*root.FindChild("A")), (Names{"C"}));
}

// --- Plane and scale attributes -----------------------------------------------------

TEST(AttributePlane, EqualityLooksAtPlaneSizeOnlyRawDataAndClone)
{
  C_AttributePlane a("p", CreatePlane(DT_Double, 4, 1));
  C_AttributePlane b("p", CreatePlane(DT_UInt8, 4, 1));
  a.GetPlane()->Fill(3.0);
  EXPECT_TRUE(a.IsEqual(&b)) << "element type and contents are not compared";
  b.SetPlane(CreatePlane(DT_UInt8, 1, 4));
  EXPECT_FALSE(a.IsEqual(&b)) << "same element count, other shape";
  C_AttributePlane empty("p");
  EXPECT_FALSE(a.IsEqual(&empty));

  C_AttributePlane attribute("p");
  attribute.SetPlane(CreatePlane(DT_Int32, 3, 2));
  attribute.GetPlane()->SetValue(2, 1, 7.0);
  EXPECT_EQ(static_cast<const int*>(attribute.GetRawData())[5], 7);
  attribute.SetPlane(attribute.GetPlane());
  ASSERT_NE(attribute.GetPlane(), nullptr) << "setting the held plane again keeps it";

  NodePtr copy(attribute.Clone());
  I_PlaneBase* copied = dynamic_cast<I_AttributePlane&>(*copy).GetPlane();
  ASSERT_NE(copied, nullptr);
  copied->SetValue(2, 1, 8.0);
  EXPECT_EQ(attribute.GetPlane()->GetValue(2, 1), 7.0);
}

TEST(AttributeScale, OwnsReplacesComparesAndClonesItsScale)
{
  C_AttributeScale a("s");
  C_AttributeScale b("s");
  EXPECT_TRUE(a.IsEqual(&b)) << "both without scale";
  a.SetScale(Linear(2.0, "mm"));
  EXPECT_FALSE(b.IsEqual(&a));
  b.SetScale(Linear(2.0, "m"));
  EXPECT_FALSE(a.IsEqual(&b)) << "the scales' own equality decides";
  b.SetScale(b.GetScale());
  EXPECT_EQ(b.GetScale()->GetUnit()->GetSymbol(), "m") << "setting the held scale again keeps it";

  NodePtr copy(a.Clone());
  auto& copied = dynamic_cast<C_AttributeScale&>(*copy);
  ASSERT_NE(copied.GetScale(), nullptr);
  EXPECT_TRUE(a.IsEqual(&copied));

  // An invalid scale equals nothing and does not clone.
  C_ScaleParam param(nullptr, "");
  C_AttributeScale invalid("s", C_ScaleFactory::GetInstance().CreateScale(I_ScaleEnums::ScaleInvalid, param));
  EXPECT_FALSE(invalid.IsEqual(&invalid));
  NodePtr invalidCopy(invalid.Clone());
  EXPECT_EQ(dynamic_cast<C_AttributeScale&>(*invalidCopy).GetScale(), nullptr);
}

// --- Factory --------------------------------------------------------------------------

TEST(AttributeFactory, RegisterRefusesTakenKeysAndUnregisterReportsRemoval)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  const auto unused = static_cast<E_AttributeType>(99);
  auto creator = [](const C_AttributeBaseParam& p) -> I_AttributeBase*
  { return new C_AttributeNode(p.GetName() + "!"); };
  auto other = [](const C_AttributeBaseParam&) -> I_AttributeBase* { return nullptr; };

  EXPECT_TRUE(factory.Register(unused, creator));
  EXPECT_FALSE(factory.Register(unused, other));
  EXPECT_FALSE(factory.Register(static_cast<E_AttributeType>(98), nullptr));
  NodePtr made(factory.CreateAttribute(unused, C_AttributeBaseParam("n")));
  EXPECT_EQ(made->GetName(), "n!") << "the earlier creator is kept";
  EXPECT_TRUE(factory.UnregisterObject(unused));
  EXPECT_FALSE(factory.UnregisterObject(unused));
  EXPECT_EQ(factory.CreateAttribute(unused, C_AttributeBaseParam("n")), nullptr);
}

TEST(AttributeFactory, StartUpCreatorsMakeEachKindNamedWithTheParameterValue)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  for (int kind = AttrNode; kind <= AttrScale; ++kind)
  {
    const auto type = static_cast<E_AttributeType>(kind);
    NodePtr made(factory.CreateAttribute(type, C_AttributeBaseParam("name")));
    ASSERT_NE(made, nullptr) << kind;
    EXPECT_EQ(made->GetType(), type);
    EXPECT_EQ(made->GetName(), "name");
  }
  // Typed and plane parameters set the value only for their own type.
  // A parameter of another value type only gives the name.
  NodePtr mismatch(factory.CreateAttribute(AttrFloat, C_AttributeParam<double>("f", 2.5)));
  EXPECT_EQ(ValueOf<float>(*mismatch), 0.0f);

  NodePtr made(factory.CreateAttribute(AttrPlane, C_AttributePlaneParam("arr", DT_UInt16, 5, 1)));
  I_PlaneBase* plane = dynamic_cast<I_AttributePlane&>(*made).GetPlane();
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(plane->GetDataType(), DT_UInt16);
  EXPECT_EQ(plane->GetWidth(), 5u);
  // No plane type for bool elements: the attribute is made without a plane.
  NodePtr none(factory.CreateAttribute(AttrPlane, C_AttributePlaneParam("b", DT_Bool, 2, 2)));
  EXPECT_EQ(dynamic_cast<I_AttributePlane&>(*none).GetPlane(), nullptr);
}
