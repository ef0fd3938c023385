#pragma once

#include <BufferApi/C_FrameVectorParam.h>
#include <BufferApi/I_FrameVector.h>

#include "C_Frame.h"

#include <cstdint>
#include <string>
#include <vector>

namespace BufferApi
{
//! What the 2- and 3-component vector frames share: the choice families U and
//! V, the active choice and enabled flag per vector, and the vector grid.
//!
//! A component belongs to the choice family `base` when its name is `base`
//! followed by the decimal digits (no leading zeros) of a choice index below
//! the number of choices, so "U0" .. "U11" for 12 choices. The cached lists
//! hold the members of U and V by choice index; they point into the component
//! list and are refreshed after every change of the list or of a name.
class C_FrameVector : public C_Frame, public virtual I_FrameVector
{
public:
  //! U0, V0, U1, V1, ... (each with a "pixel" value scale), then
  //! ACTIVE_CHOICE (DT_Int32) and ENABLED (DT_UInt8), all zero. Raises for
  //! zero choices and for every component that cannot be made; nothing built
  //! so far survives a failure.
  C_FrameVector(unsigned width, unsigned height, unsigned depth, E_DataType type, unsigned numberOfChoices);
  C_FrameVector(const C_FrameVector& other);
  C_FrameVector& operator=(const C_FrameVector&) = delete;
  ~C_FrameVector() override;

  using C_Frame::GetComponent;

  // I_BufferLibObject
  //! Same concrete class, C_Frame's equality and the same number of choices.
  bool IsEqual(const I_BufferLibObject* other) const override;
  bool IsNotEqual(const I_BufferLibObject* other) const override;

  // I_Frame
  //! Only for deletable components; raises "Changing of data type of this
  //! component now allowed." otherwise.
  void ChangeComponentDataType(const std::string& name, E_DataType type, bool convertValues) override;
  //! copyData: a full copy. Otherwise a frame of the same type, size, element
  //! type, choices and grid with zeroed vector data, a copy of the attribute
  //! tree, a valid mask when this frame has a mask, and data-less copies of
  //! the other components.
  I_Frame* Clone(bool copyData) const override;
  //! Exact look-up; a name not found stands for its choice 0 ("U" finds U0).
  int GetComponentIndex(const std::string& name) const override;
  I_Component* GetComponent(const std::string& name) const override;
  //! The element type of U0 (DT_Bool when there is no U0).
  E_DataType GetDataType() const override;
  //! The scale of U0.
  I_Scale* GetScaleI() const override;
  //! Every U and V component gets its own clone of `scale` (taken over and
  //! deleted). Raises "The vector frame has no vector component!" without U.
  void SetScaleI(I_Scale* scale) override;
  //! Nothing for protected components. A member of a choice family renames
  //! the whole family: `name` (without digits) plus each member's index.
  void SetComponentName(int comp, const std::string& name) override;
  //! Zeroes choice 0, active choice and enabled flags: every vector disabled.
  void Clear() override;
  //! Choice 0 := value, first choice active, every vector enabled; 0.0 clears.
  void Fill(double value) override;

  // I_FrameVector
  void AddChoiceComponent(const std::string& base, E_DataType type) override;
  void DeleteChoiceComponent(const std::string& base) override;
  bool HasValidChoice(unsigned x, unsigned y, unsigned z) const override;
  int GetActiveChoice(unsigned x, unsigned y, unsigned z) const override;
  unsigned GetNumberOfChoices() const override { return m_numberOfChoices; }
  int GetChoiceComponentIndex(const std::string& base, unsigned choice) const override;
  I_Component* GetChoiceComponent(const std::string& base, unsigned choice) const override;
  unsigned GetGridX() const override { return m_gridX; }
  unsigned GetGridY() const override { return m_gridY; }
  unsigned GetGridZ() const override { return m_gridZ; }
  bool IsEnabled(unsigned x, unsigned y, unsigned z) const override;
  void SetActiveChoice(unsigned x, unsigned y, unsigned z, int value) override;
  void SetEnabled(unsigned x, unsigned y, unsigned z, bool enabled) override;
  void SetGridX(unsigned grid) override { m_gridX = grid; }
  void SetGridY(unsigned grid) override { m_gridY = grid; }
  void SetGridZ(unsigned grid) override { m_gridZ = grid; }

  // C_Frame hooks
  //! A C_FrameVectorParam with size, element type and number of choices.
  C_FrameBaseParam* CreateFrameParam() const override;
  //! C_Frame's part, then number of choices and grid when `target` is a
  //! vector frame.
  void CopyPropertiesTo(C_Frame* target) const override;
  void UpdateComponentPointers() override;
  //! The mask, ACTIVE_CHOICE, ENABLED and every cached U and V component.
  bool IsProtectedComponent(const I_Component* component) const override;
  bool IsProtectedComponentIndex(unsigned index) const override;

  //! True when the component is a member of the choice family `base`.
  virtual bool IsChoiceComponentOf(const I_Component* component, std::string base) const;

  //! The name of choice `choice` of the family `base`.
  static std::string ChoiceName(const std::string& base, unsigned choice);

protected:
  //! The frame factory's creator of the concrete vector frame `Frame`: a frame
  //! of the parameter's size, element type and number of choices.
  template <class Frame>
  static I_Frame* CreateFromParam(const C_FrameBaseParam* param, const char* sourceUnit)
  {
    const C_FrameVectorParam& vectorParam = VectorParamOf(param, sourceUnit);
    return new Frame(vectorParam.GetWidth(), vectorParam.GetHeight(), vectorParam.GetDepth(), vectorParam.GetDataType(),
                     vectorParam.GetNumberOfChoices());
  }
  //! `param` as a C_FrameVectorParam; raises "Wrong parameter type, bit plane
  //! could not be created." for `sourceUnit` when it is none.
  static const C_FrameVectorParam& VectorParamOf(const C_FrameBaseParam* param, const char* sourceUnit);

  //! A new frame of the same concrete class, size, element type and number of
  //! choices with fresh components.
  virtual C_FrameVector* CreateEmptyLike() const = 0;
  //! A copy of this frame with every component and its data.
  virtual C_FrameVector* CopyLike() const = 0;

  //! Appends the vector component `name` with the "pixel" value scale of
  //! vector components; raises `failureText` (as RTE::VerificationFailed when
  //! `verification` is set) when it cannot be made.
  void CreateVectorComponent(const std::string& name, E_DataType type, const char* failureText, bool verification);
  //! The cached members of `base` by choice index, up to the first one missing.
  std::vector<C_Component*> CollectFamily(const std::string& base) const;
  //! Plane z of choice `choice` of a cached family, or null.
  static I_PlaneBase* PlaneOf(const std::vector<C_Component*>& family, unsigned choice, unsigned z);
  static I_PlaneBase* PlaneOf(const C_Component* component, unsigned z);
  static bool Contains(const std::vector<C_Component*>& family, const I_Component* component);
  //! The length of the longest suffix of `name` that names a choice index; 0
  //! when there is none.
  std::size_t ChoiceSuffixLength(const std::string& name) const;
  //! True when `digits` is the decimal form (no leading zeros) of a choice index.
  bool IsChoiceSuffix(const std::string& digits) const;

  std::vector<C_Component*> m_u;
  std::vector<C_Component*> m_v;
  C_Component* m_activeChoice = nullptr;
  C_Component* m_enabled = nullptr;
  std::uint32_t m_numberOfChoices = 0;
  std::uint32_t m_gridX = 1;
  std::uint32_t m_gridY = 1;
  std::uint32_t m_gridZ = 1;
};

} // namespace BufferApi
