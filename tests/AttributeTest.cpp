#include "C_Attribute.h"
#include "C_AttributeNode.h"
#include "C_AttributePlane.h"
#include "C_AttributeScale.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributeParam.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_Scale.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace BufferApi;

namespace
{
using NodePtr = std::unique_ptr<I_AttributeBase>;

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

std::vector<std::string> ChildNames(const I_AttributeBase& node)
{
  std::vector<I_AttributeBase*> children;
  node.GetChildren(children);
  std::vector<std::string> names;
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
} // namespace

// --- Nodes and children -----------------------------------------------------

TEST(AttributeNode, ChildrenKeepInsertionOrderAndAllowDuplicateNames)
{
  C_AttributeNode root("root");
  root.AddChild(new C_AttributeNode("b"));
  root.AddChild(new C_AttributeNode("a"));
  root.AddChild(Double("b", 2.0));
  EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"b", "a", "b"}));
  EXPECT_EQ(root.GetNumberOfChildren(), 3u);
  // The first of two equal names is found and removed.
  EXPECT_EQ(root.FindChild("b")->GetType(), AttrNode);
  root.RemoveChild("b");
  EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(root.FindChild("b")->GetType(), AttrDouble);
}

TEST(AttributeNode, LookupsAreExactAndMissingNamesAreHarmless)
{
  C_AttributeNode root;
  root.AddChild(new C_AttributeNode("Name"));
  root.AddChild(new C_AttributeNode(""));
  EXPECT_EQ(root.FindChild("name"), nullptr);
  EXPECT_EQ(root.FindChild("Name "), nullptr);
  EXPECT_NE(root.FindChild(""), nullptr);
  root.RemoveChild("missing");
  EXPECT_EQ(root.GetNumberOfChildren(), 2u);
  root.RemoveAllChildren();
  EXPECT_EQ(root.GetNumberOfChildren(), 0u);
  std::vector<I_AttributeBase*> out{&root};
  root.GetChildren(out);
  EXPECT_TRUE(out.empty());
}

TEST(AttributeNode, OwnsChildrenAndDeletesThemOnRemovalAndDestruction)
{
  int live = 0;
  {
    C_AttributeNode root;
    auto* middle = new C_AttributeNode("m");
    root.AddChild(middle);
    middle->AddChild(new CountedAttribute("x", &live));
    middle->AddChild(new CountedAttribute("y", &live));
    root.AddChild(new CountedAttribute("z", &live));
    EXPECT_EQ(live, 3);
    root.RemoveChild("m");
    EXPECT_EQ(live, 1);
  }
  EXPECT_EQ(live, 0);
}

TEST(AttributeNode, AddChildIgnoresNullAndTheNodeItself)
{
  C_AttributeNode root;
  root.AddChild(nullptr);
  root.AddChild(&root);
  EXPECT_EQ(root.GetNumberOfChildren(), 0u);
}

// An attribute implemented outside the library is owned like a library one.
TEST(AttributeNode, ForeignAttributeIsOwnedNotLeaked)
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
    root.AddChild(new Foreign(&live));
    EXPECT_EQ(root.FindChild("foreign")->GetName(), "foreign");
    NodePtr copy(root.Clone());
    EXPECT_EQ(live, 2);
    EXPECT_TRUE(root.IsEqual(copy.get()));
  }
  EXPECT_EQ(live, 0);
}

// --- Value attributes ---------------------------------------------------------

TEST(AttributeValue, StartsAtZeroAndReportsItsKind)
{
  EXPECT_EQ(C_Attribute<double>("d").GetValue(), 0.0);
  EXPECT_EQ(C_Attribute<unsigned short>("u").GetValue(), 0u);
  EXPECT_EQ(C_Attribute<std::string>("s").GetValue(), "");
  EXPECT_EQ(C_AttributeNode().GetType(), AttrNode);
  EXPECT_EQ(C_Attribute<double>().GetType(), AttrDouble);
  EXPECT_EQ(C_Attribute<float>().GetType(), AttrFloat);
  EXPECT_EQ(C_Attribute<int>().GetType(), AttrInt32);
  EXPECT_EQ(C_Attribute<std::string>().GetType(), AttrString);
  EXPECT_EQ(C_Attribute<unsigned int>().GetType(), AttrUInt32);
  EXPECT_EQ(C_Attribute<unsigned short>().GetType(), AttrUInt16);
  EXPECT_EQ(static_cast<int>(AttrScale), 8);
}

TEST(AttributeValue, RawDataPointsAtTheStoredValue)
{
  C_Attribute<int> number("n", 0);
  *static_cast<int*>(number.GetRawData()) = 42;
  EXPECT_EQ(number.GetValue(), 42);

  C_Attribute<std::string> text("t", "abc");
  ASSERT_NE(text.GetRawData(), nullptr);
  EXPECT_STREQ(static_cast<const char*>(text.GetRawData()), "abc");
  C_Attribute<std::string> empty("e");
  ASSERT_NE(empty.GetRawData(), nullptr);
  EXPECT_EQ(*static_cast<const char*>(empty.GetRawData()), '\0');

  C_AttributeNode node("n");
  EXPECT_EQ(node.GetRawData(), nullptr);
}

TEST(AttributeValue, StringIsCopiedInAndOut)
{
  std::string source = "hello";
  C_Attribute<std::string> text("t");
  text.SetValue(source);
  source[0] = 'j';
  std::string out = text.GetValue();
  out[0] = 'y';
  EXPECT_EQ(text.GetValue(), "hello");
}

// --- Equality -------------------------------------------------------------------

TEST(AttributeEqual, ComparesClassNameAndOwnValue)
{
  C_Attribute<double> a("v", 1.0);
  C_Attribute<double> b("v", 1.0);
  EXPECT_TRUE(a.IsEqual(&b));
  EXPECT_FALSE(a.IsNotEqual(&b));
  b.SetValue(1.5);
  EXPECT_FALSE(a.IsEqual(&b));
  EXPECT_TRUE(a.IsNotEqual(&b));

  C_Attribute<float> f("v", 1.0f);
  EXPECT_FALSE(a.IsSameType(&f));
  EXPECT_FALSE(a.IsEqual(&f));
  C_Attribute<double> renamed("w", 1.0);
  EXPECT_FALSE(a.IsEqual(&renamed));
  C_Attribute<std::string> s1("s", std::string("ab\0c", 4));
  C_Attribute<std::string> s2("s", std::string("ab\0d", 4));
  EXPECT_FALSE(s1.IsEqual(&s2));
  EXPECT_FALSE(a.IsEqual(nullptr));
  EXPECT_FALSE(a.IsSameType(nullptr));
}

TEST(AttributeEqual, NaNIsNeverEqual)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  C_Attribute<double> a("v", nan);
  EXPECT_FALSE(a.IsEqual(&a));
  C_Attribute<float> f("v", std::numeric_limits<float>::quiet_NaN());
  EXPECT_FALSE(f.IsEqual(&f));
}

TEST(AttributeEqual, ChildrenCountByStructureNotByValue)
{
  C_Attribute<double> a("v", 1.0);
  C_Attribute<double> b("v", 1.0);
  a.AddChild(Double("x", 1.0));
  b.AddChild(Double("x", 2.0));
  EXPECT_TRUE(a.IsEqual(&b)) << "child values are not compared";

  C_Attribute<double> c("v", 1.0);
  c.AddChild(Double("y", 1.0));
  EXPECT_FALSE(a.IsEqual(&c)) << "child names are compared";

  // A difference deeper down counts as well.
  a.FindChild("x")->AddChild(new C_AttributeNode("deep"));
  b.FindChild("x")->AddChild(new C_AttributeNode("Deep"));
  EXPECT_FALSE(a.IsEqual(&b));
}

TEST(AttributeEqual, ExtraChildrenOfOtherAreIgnoredFewerAreUnequal)
{
  C_AttributeNode few("n");
  C_AttributeNode many("n");
  few.AddChild(new C_AttributeNode("a"));
  many.AddChild(new C_AttributeNode("a"));
  many.AddChild(new C_AttributeNode("b"));
  EXPECT_TRUE(few.IsEqual(&many));
  EXPECT_FALSE(many.IsEqual(&few));
  // The same holds below the top level.
  C_AttributeNode left("n");
  C_AttributeNode right("n");
  left.AddChild(new C_AttributeNode("a"));
  right.AddChild(new C_AttributeNode("a"));
  left.FindChild("a")->AddChild(new C_AttributeNode("x"));
  EXPECT_FALSE(left.IsEqual(&right));
  EXPECT_TRUE(right.IsEqual(&left));
}

// --- Clone ------------------------------------------------------------------------

TEST(AttributeClone, DeepCopyKeepsOrderValuesAndIsIndependent)
{
  C_Attribute<int> root("root", 7);
  root.AddChild(Double("c", 3.0));
  root.AddChild(new C_Attribute<std::string>("a", "text"));
  root.AddChild(new C_AttributeNode("b"));
  root.FindChild("b")->AddChild(new C_Attribute<unsigned short>("leaf", 9));

  NodePtr copy(root.Clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetType(), AttrInt32);
  EXPECT_EQ(copy->GetName(), "root");
  EXPECT_EQ(dynamic_cast<I_Attribute<int>&>(*copy).GetValue(), 7);
  EXPECT_EQ(ChildNames(*copy), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_TRUE(root.IsEqual(copy.get()));

  auto* copiedLeaf = dynamic_cast<I_Attribute<unsigned short>*>(I_AttributeBase::FindPath(copy.get(), "b.leaf"));
  auto* originalLeaf = dynamic_cast<I_Attribute<unsigned short>*>(I_AttributeBase::FindPath(&root, "b.leaf"));
  ASSERT_NE(copiedLeaf, nullptr);
  ASSERT_NE(originalLeaf, nullptr);
  EXPECT_NE(copiedLeaf, originalLeaf);
  EXPECT_EQ(copiedLeaf->GetValue(), 9u);
  copiedLeaf->SetValue(10);
  EXPECT_EQ(originalLeaf->GetValue(), 9u);
  dynamic_cast<I_Attribute<std::string>&>(*copy->FindChild("a")).SetValue("changed");
  EXPECT_EQ(dynamic_cast<I_Attribute<std::string>&>(*root.FindChild("a")).GetValue(), "text");

  // The original can go first; the copy stays valid.
  root.RemoveAllChildren();
  EXPECT_EQ(copy->GetNumberOfChildren(), 3u);
}

// --- Path operations ----------------------------------------------------------------

TEST(AttributePath, CreatePathBuildsMissingNodesAndNamesTheLeaf)
{
  C_AttributeNode root;
  auto* leaf = Double("whatever", 5.0);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "A.B.C", leaf), leaf);
  EXPECT_EQ(leaf->GetName(), "C");
  EXPECT_EQ(root.GetNumberOfChildren(), 1u);
  I_AttributeBase* a = root.FindChild("A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->GetType(), AttrNode);
  EXPECT_EQ(a->FindChild("B")->GetType(), AttrNode);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.B.C"), leaf);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.B"), a->FindChild("B"));
}

TEST(AttributePath, CreatePathReplacesTheExistingNodeWithItsSubtree)
{
  int live = 0;
  C_AttributeNode root;
  auto* first = new CountedAttribute("x", &live);
  I_AttributeBase::CreatePath(&root, "A.B.C", first);
  first->AddChild(new CountedAttribute("under", &live));
  I_AttributeBase* a = root.FindChild("A");
  I_AttributeBase* b = a->FindChild("B");
  EXPECT_EQ(live, 2);

  auto* second = Double("y", 2.0);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "A.B.C", second), second);
  EXPECT_EQ(live, 0) << "the old leaf and its subtree are deleted, not merged";
  EXPECT_EQ(root.FindChild("A"), a);
  EXPECT_EQ(a->FindChild("B"), b);
  EXPECT_EQ(b->GetNumberOfChildren(), 1u);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.B.C"), second);
  EXPECT_EQ(second->GetNumberOfChildren(), 0u);
}

TEST(AttributePath, CreatePathReplacesAnIntermediateNodeToo)
{
  C_AttributeNode root;
  I_AttributeBase::CreatePath(&root, "A.B", Double("", 1.0));
  auto* replacement = new C_Attribute<int>("", 3);
  I_AttributeBase::CreatePath(&root, "A", replacement);
  EXPECT_EQ(root.FindChild("A"), replacement);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.B"), nullptr);
}

TEST(AttributePath, NullAttributeMakesPlainNodes)
{
  C_AttributeNode root;
  I_AttributeBase* x = I_AttributeBase::CreatePath(&root, "X", nullptr);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->GetType(), AttrNode);
  EXPECT_EQ(x->GetName(), "X");
  EXPECT_EQ(root.GetNumberOfChildren(), 1u);
  I_AttributeBase* deep = I_AttributeBase::CreatePath(&root, "P.Q", nullptr);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "P.Q"), deep);
  EXPECT_EQ(deep->GetType(), AttrNode);
}

TEST(AttributePath, ValueLeavesServeAsParents)
{
  C_AttributeNode root;
  auto* value = Double("V", 4.0);
  root.AddChild(value);
  auto* below = new C_Attribute<int>("", 1);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "V.sub", below), below);
  EXPECT_EQ(value->FindChild("sub"), below);
  EXPECT_EQ(value->GetValue(), 4.0);
  EXPECT_EQ(root.GetNumberOfChildren(), 1u);
}

TEST(AttributePath, SurvivingDuplicateIsReturnedAndTheAttributeDeleted)
{
  int live = 0;
  C_AttributeNode root;
  root.AddChild(Double("X", 1.0));
  auto* second = Double("X", 2.0);
  root.AddChild(second);
  auto* rejected = new CountedAttribute("new", &live);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "X", rejected), second);
  EXPECT_EQ(live, 0) << "the attribute that was not inserted must not leak";
  EXPECT_EQ(root.GetNumberOfChildren(), 1u);
  EXPECT_EQ(second->GetValue(), 2.0);
}

// Below the root the replacement is repeated one level down, so both
// duplicates go and the attribute is inserted.
TEST(AttributePath, DuplicatesBelowTheRootAreBothReplaced)
{
  C_AttributeNode root;
  auto* a = new C_AttributeNode("A");
  root.AddChild(a);
  a->AddChild(Double("X", 1.0));
  a->AddChild(Double("X", 2.0));
  auto* inserted = new C_Attribute<int>("", 5);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "A.X", inserted), inserted);
  EXPECT_EQ(ChildNames(*a), (std::vector<std::string>{"X"}));
}

TEST(AttributePath, AttributeAlreadyAtThePathStaysInPlace)
{
  C_AttributeNode root;
  auto* leaf = Double("", 1.0);
  I_AttributeBase::CreatePath(&root, "A.L", leaf);
  EXPECT_EQ(I_AttributeBase::CreatePath(&root, "A.L", leaf), leaf);
  EXPECT_EQ(leaf->GetValue(), 1.0);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.L"), leaf);
}

TEST(AttributePath, NullRootCreatesNothingAndDeletesTheAttribute)
{
  int live = 0;
  EXPECT_EQ(I_AttributeBase::CreatePath(nullptr, "A", new CountedAttribute("", &live)), nullptr);
  EXPECT_EQ(live, 0);
  EXPECT_EQ(I_AttributeBase::FindPath(nullptr, "A"), nullptr);
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

  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A..C"), c);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A."), a) << "an empty rest ends the search";
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "a"), nullptr);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, "A.C.D"), nullptr);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, ""), nullptr);
  EXPECT_EQ(I_AttributeBase::FindPath(&root, ".A"), nullptr);
  EXPECT_EQ(I_AttributeBase::FindPath(a, ""), unnamed);
}

TEST(AttributePath, DeletePathRemovesOnlyWhatExists)
{
  C_AttributeNode root;
  I_AttributeBase::CreatePath(&root, "A.B", nullptr);
  I_AttributeBase::CreatePath(&root, "A.C", nullptr);
  I_AttributeBase::DeletePath(&root, "A.missing");
  I_AttributeBase::DeletePath(&root, "missing.B");
  I_AttributeBase::DeletePath(&root, "missing");
  EXPECT_EQ(ChildNames(*root.FindChild("A")), (std::vector<std::string>{"B", "C"}));

  I_AttributeBase::DeletePath(&root, "A.B");
  EXPECT_EQ(ChildNames(*root.FindChild("A")), (std::vector<std::string>{"C"}));
  I_AttributeBase::DeletePath(&root, "A");
  EXPECT_EQ(root.GetNumberOfChildren(), 0u);
}

// --- Plane attributes ------------------------------------------------------------------

TEST(AttributePlane, EqualityLooksAtPlaneSizeOnly)
{
  C_AttributePlane a("p", CreatePlane(DT_Double, 4, 1));
  C_AttributePlane b("p", CreatePlane(DT_UInt8, 4, 1));
  a.GetPlane()->Fill(3.0);
  EXPECT_TRUE(a.IsEqual(&b)) << "element type and contents are not compared";
  b.SetPlane(CreatePlane(DT_UInt8, 1, 4));
  EXPECT_FALSE(a.IsEqual(&b)) << "same element count, other shape";

  std::unique_ptr<I_PlaneBase> bare(CreatePlane(DT_Double, 4, 1));
  EXPECT_FALSE(a.IsEqual(bare.get())) << "a plane is no plane attribute";
  C_AttributePlane empty1("p");
  C_AttributePlane empty2("p");
  EXPECT_TRUE(empty1.IsEqual(&empty2));
  EXPECT_FALSE(empty1.IsEqual(&a));
  EXPECT_FALSE(a.IsEqual(&empty1));
  C_AttributePlane otherName("q", CreatePlane(DT_Double, 4, 1));
  EXPECT_FALSE(a.IsEqual(&otherName));
}

TEST(AttributePlane, RawDataIsThePlaneDataOrNull)
{
  C_AttributePlane attribute("p");
  EXPECT_EQ(attribute.GetRawData(), nullptr);
  attribute.SetPlane(CreatePlane(DT_Float, 3, 1));
  attribute.GetPlane()->SetValue(2, 0, 1.5);
  ASSERT_EQ(attribute.GetRawData(), attribute.GetPlane()->GetData());
  EXPECT_EQ(static_cast<const float*>(attribute.GetRawData())[2], 1.5f);
  attribute.SetPlane(attribute.GetPlane());
  ASSERT_NE(attribute.GetPlane(), nullptr) << "setting the held plane again keeps it";
  attribute.SetPlane(nullptr);
  EXPECT_EQ(attribute.GetRawData(), nullptr);
}

TEST(AttributePlane, CloneCopiesThePlaneWithItsData)
{
  C_AttributePlane original("p", CreatePlane(DT_Int32, 2, 2));
  original.GetPlane()->SetValue(1, 1, 7.0);
  NodePtr copy(original.Clone());
  auto& copied = dynamic_cast<I_AttributePlane&>(*copy);
  ASSERT_NE(copied.GetPlane(), nullptr);
  EXPECT_NE(copied.GetPlane(), original.GetPlane());
  EXPECT_EQ(copied.GetPlane()->GetDataType(), DT_Int32);
  EXPECT_TRUE(copied.GetPlane()->IsEqual(original.GetPlane()));
  copied.GetPlane()->SetValue(1, 1, 8.0);
  EXPECT_EQ(original.GetPlane()->GetValue(1, 1), 7.0);

  C_AttributePlane empty("e");
  NodePtr emptyCopy(empty.Clone());
  EXPECT_EQ(dynamic_cast<I_AttributePlane&>(*emptyCopy).GetPlane(), nullptr);
}

// --- Scale attributes ------------------------------------------------------------------

TEST(AttributeScale, OwnsReplacesAndComparesItsScale)
{
  C_AttributeScale a("s");
  C_AttributeScale b("s");
  EXPECT_EQ(a.GetType(), AttrScale);
  EXPECT_EQ(a.GetScale(), nullptr);
  EXPECT_TRUE(a.IsEqual(&b)) << "both without scale";
  a.SetScale(Linear(2.0, "mm"));
  EXPECT_FALSE(a.IsEqual(&b));
  EXPECT_FALSE(b.IsEqual(&a));
  b.SetScale(Linear(2.0, "mm"));
  EXPECT_TRUE(a.IsEqual(&b));
  b.SetScale(Linear(2.0, "m"));
  EXPECT_FALSE(a.IsEqual(&b)) << "the scales' own equality decides";
  b.SetScale(b.GetScale());
  ASSERT_NE(b.GetScale(), nullptr) << "setting the held scale again keeps it";
  EXPECT_EQ(b.GetScale()->GetUnit()->GetSymbol(), "m");
  EXPECT_EQ(a.GetRawData(), nullptr);
}

TEST(AttributeScale, CloneHoldsAnIndependentCopy)
{
  C_AttributeScale original("s", Linear(3.0, "mm"));
  original.AddChild(new C_AttributeNode("child"));
  NodePtr copy(original.Clone());
  auto* copied = dynamic_cast<C_AttributeScale*>(copy.get());
  ASSERT_NE(copied, nullptr);
  ASSERT_NE(copied->GetScale(), nullptr);
  EXPECT_NE(copied->GetScale(), original.GetScale());
  EXPECT_TRUE(original.IsEqual(copied));
  EXPECT_EQ(copied->GetNumberOfChildren(), 1u);
  copied->GetScale()->Stretch(2.0, 0.0);
  EXPECT_EQ(original.GetScale()->GetFactor(), 3.0);

  C_AttributeScale empty("e");
  NodePtr emptyCopy(empty.Clone());
  EXPECT_EQ(dynamic_cast<C_AttributeScale&>(*emptyCopy).GetScale(), nullptr);
}

// An invalid scale equals nothing and does not clone.
TEST(AttributeScale, InvalidScaleNeverCompareEqual)
{
  C_ScaleParam param(nullptr, "");
  C_AttributeScale a("s", C_ScaleFactory::GetInstance().CreateScale(I_ScaleEnums::ScaleInvalid, param));
  ASSERT_NE(a.GetScale(), nullptr);
  EXPECT_FALSE(a.IsEqual(&a));
  NodePtr copy(a.Clone());
  EXPECT_EQ(dynamic_cast<C_AttributeScale&>(*copy).GetScale(), nullptr);
}

// --- Factory --------------------------------------------------------------------------

TEST(AttributeFactory, RegisterRefusesTakenKeysAndUnregisterReportsRemoval)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  EXPECT_EQ(&factory, &C_AttributeFactory::GetInstance());
  const auto unused = static_cast<E_AttributeType>(99);
  auto creator = [](const C_AttributeBaseParam& p) -> I_AttributeBase*
  { return new C_AttributeNode(p.GetName() + "!"); };
  auto other = [](const C_AttributeBaseParam&) -> I_AttributeBase* { return nullptr; };

  EXPECT_EQ(factory.CreateAttribute(unused, C_AttributeBaseParam("n")), nullptr);
  EXPECT_TRUE(factory.Register(unused, creator));
  EXPECT_FALSE(factory.Register(unused, other));
  EXPECT_FALSE(factory.Register(static_cast<E_AttributeType>(98), nullptr));
  NodePtr made(factory.CreateAttribute(unused, C_AttributeBaseParam("n")));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetName(), "n!") << "the earlier creator is kept";
  EXPECT_TRUE(factory.UnregisterObject(unused));
  EXPECT_FALSE(factory.UnregisterObject(unused));
  EXPECT_EQ(factory.CreateAttribute(unused, C_AttributeBaseParam("n")), nullptr);
}

TEST(AttributeFactory, StartUpCreatorsMakeEachKindNamedAfterTheParameter)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  for (int kind = AttrNode; kind <= AttrScale; ++kind)
  {
    const auto type = static_cast<E_AttributeType>(kind);
    NodePtr made(factory.CreateAttribute(type, C_AttributeBaseParam("name")));
    ASSERT_NE(made, nullptr) << kind;
    EXPECT_EQ(made->GetType(), type);
    EXPECT_EQ(made->GetName(), "name");
    EXPECT_EQ(made->GetNumberOfChildren(), 0u);
  }
  NodePtr d(factory.CreateAttribute(AttrDouble, C_AttributeBaseParam("d")));
  EXPECT_EQ(dynamic_cast<I_Attribute<double>&>(*d).GetValue(), 0.0);
  NodePtr s(factory.CreateAttribute(AttrString, C_AttributeBaseParam("s")));
  EXPECT_EQ(dynamic_cast<I_Attribute<std::string>&>(*s).GetValue(), "");
  NodePtr plane(factory.CreateAttribute(AttrPlane, C_AttributeBaseParam("p")));
  EXPECT_EQ(dynamic_cast<I_AttributePlane&>(*plane).GetPlane(), nullptr);
  NodePtr scale(factory.CreateAttribute(AttrScale, C_AttributeBaseParam("s")));
  EXPECT_EQ(dynamic_cast<I_AttributeScale&>(*scale).GetScale(), nullptr);
}

TEST(AttributeFactory, TypedParameterSetsTheValueOnlyForTheSameType)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  NodePtr d(factory.CreateAttribute(AttrDouble, C_AttributeParam<double>("d", 2.5)));
  EXPECT_EQ(dynamic_cast<I_Attribute<double>&>(*d).GetValue(), 2.5);
  NodePtr u(factory.CreateAttribute(AttrUInt16, C_AttributeParam<unsigned short>("u", 65535)));
  EXPECT_EQ(dynamic_cast<I_Attribute<unsigned short>&>(*u).GetValue(), 65535u);
  NodePtr t(factory.CreateAttribute(AttrString, C_AttributeParam<std::string>("t", "text")));
  EXPECT_EQ(dynamic_cast<I_Attribute<std::string>&>(*t).GetValue(), "text");
  EXPECT_EQ(t->GetName(), "t");

  // A parameter of another value type only gives the name.
  NodePtr mismatch(factory.CreateAttribute(AttrFloat, C_AttributeParam<double>("f", 2.5)));
  ASSERT_NE(mismatch, nullptr);
  EXPECT_EQ(mismatch->GetType(), AttrFloat);
  EXPECT_EQ(dynamic_cast<I_Attribute<float>&>(*mismatch).GetValue(), 0.0f);
  EXPECT_EQ(mismatch->GetName(), "f");
  NodePtr node(factory.CreateAttribute(AttrNode, C_AttributeParam<int>("n", 4)));
  EXPECT_EQ(node->GetType(), AttrNode);
}

TEST(AttributeFactory, PlaneParameterMakesAZeroedPlaneOfTypeAndSize)
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  NodePtr made(factory.CreateAttribute(AttrPlane, C_AttributePlaneParam("arr", DT_UInt16, 5, 1)));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetName(), "arr");
  I_PlaneBase* plane = dynamic_cast<I_AttributePlane&>(*made).GetPlane();
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(plane->GetDataType(), DT_UInt16);
  EXPECT_EQ(plane->GetWidth(), 5u);
  EXPECT_EQ(plane->GetHeight(), 1u);
  EXPECT_EQ(plane->GetValue(4, 0), 0.0);
  EXPECT_EQ(made->GetRawData(), plane->GetData());

  // No plane type for bool elements: the attribute is made without a plane.
  NodePtr none(factory.CreateAttribute(AttrPlane, C_AttributePlaneParam("b", DT_Bool, 2, 2)));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(dynamic_cast<I_AttributePlane&>(*none).GetPlane(), nullptr);
  NodePtr plain(factory.CreateAttribute(AttrPlane, C_AttributeBaseParam("c")));
  EXPECT_EQ(dynamic_cast<I_AttributePlane&>(*plain).GetPlane(), nullptr);
}

TEST(AttributeFactory, ParametersCopyTheirName)
{
  C_AttributeParam<int> original("first", 1);
  C_AttributeBaseParam copy(original);
  EXPECT_EQ(copy.GetName(), "first");
  C_AttributeBaseParam assigned("x");
  assigned = copy;
  EXPECT_EQ(assigned.GetName(), "first");
  EXPECT_EQ(original.GetValue(), 1);
}
