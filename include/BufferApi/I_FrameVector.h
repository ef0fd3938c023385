#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/E_DataType.h>
#include <BufferApi/I_Frame.h>

#include <string>

namespace BufferApi
{
class I_Component;

//! A vector field: for every grid point of every z plane one or more candidate
//! vectors (choices), the index of the active choice and an enabled flag.
//! Choice i of a vector component lives in the component named base name plus
//! the decimal digits of i ("U0", "V0", "U1", ...).
class BUFFER_API I_FrameVector : public virtual I_Frame
{
public:
  static const std::string COMPONENT_U;
  static const std::string COMPONENT_V;
  static const std::string COMPONENT_W;
  static const std::string COMPONENT_ACTIVE_CHOICE;
  static const std::string COMPONENT_ENABLED;

  //! Adds one component base + i of the given type for every choice i.
  virtual void AddChoiceComponent(const std::string& base, E_DataType type) = 0;
  //! Removes and deletes every component of the choice family `base`; the
  //! vector components themselves are not exempt, so "U", "V" and "W" must
  //! not be passed.
  virtual void DeleteChoiceComponent(const std::string& base) = 0;
  //! True when (x, y, z) lies inside the frame and its active choice is >= 0.
  virtual bool HasValidChoice(unsigned x, unsigned y, unsigned z) const = 0;
  //! The stored active choice (0 = first choice); 0 outside the frame.
  virtual int GetActiveChoice(unsigned x, unsigned y, unsigned z) const = 0;
  virtual unsigned GetNumberOfChoices() const = 0;
  //! The index of component base + choice, or -1.
  virtual int GetChoiceComponentIndex(const std::string& base, unsigned choice) const = 0;
  //! The component base + choice, or null.
  virtual I_Component* GetChoiceComponent(const std::string& base, unsigned choice) const = 0;
  virtual unsigned GetGridX() const = 0;
  virtual unsigned GetGridY() const = 0;
  virtual unsigned GetGridZ() const = 0;
  //! False outside the frame.
  virtual bool IsEnabled(unsigned x, unsigned y, unsigned z) const = 0;
  //! Ignored outside the frame.
  virtual void SetActiveChoice(unsigned x, unsigned y, unsigned z, int value) = 0;
  //! Ignored outside the frame.
  virtual void SetEnabled(unsigned x, unsigned y, unsigned z, bool enabled) = 0;
  virtual void SetGridX(unsigned grid) = 0;
  virtual void SetGridY(unsigned grid) = 0;
  virtual void SetGridZ(unsigned grid) = 0;
};

} // namespace BufferApi
