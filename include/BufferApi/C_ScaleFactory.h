#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_ScaleEnums.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace BufferApi
{
//! The registry of scale creators, keyed by scale type. Registration and
//! creation are serialised by one mutex; creators run while it is held and
//! must not call back into the factory.
class BUFFER_API C_ScaleFactory
{
public:
  //! Makes a new scale that takes over the parameter's unit; the caller owns
  //! the result.
  using T_Creator = I_Scale* (*)(const C_ScaleParam& param);

  static C_ScaleFactory& GetInstance();

  C_ScaleFactory(const C_ScaleFactory&) = delete;
  C_ScaleFactory& operator=(const C_ScaleFactory&) = delete;

  //! Adds a creator; false (keeping the earlier creator) when the type is taken.
  bool Register(const I_ScaleEnums::E_ScaleType& type, T_Creator creator);
  //! Removes the creator of `type`; true when there was one.
  bool UnregisterObject(const I_ScaleEnums::E_ScaleType& type);

  //! The scale made by the creator of `type`, or null when none is registered.
  //! A creator that ignores the parameter's unit leaves it to the caller.
  I_Scale* CreateScale(const I_ScaleEnums::E_ScaleType& type, const C_ScaleParam& param);

  //! A linear scale world = source * factor + offset with the unit that
  //! C_UnitFactory makes for `unit` (a text it does not know gives a
  //! free-text unit). Null when no linear creator is registered; the unit is
  //! then released, as it is when the creator makes nothing or raises.
  I_Scale* CreateLinearScale(double factor, double offset, const std::string& unit, const std::string& description);
  //! As above with the unit made from its code (an unregistered code gives a
  //! scale without unit).
  I_Scale* CreateLinearScale(double factor, double offset, I_ScaleEnums::E_UnitType unit,
                             const std::string& description);
  //! The linear scale through (source1, world1) and (source2, world2).
  //! Coinciding sources give the identity; coinciding worlds give factor 1
  //! and offset world1 - source1.
  I_Scale* CreateLinearScale(double source1, double source2, double world1, double world2, const std::string& unit,
                             const std::string& description);
  I_Scale* CreateLinearScale(double source1, double source2, double world1, double world2,
                             I_ScaleEnums::E_UnitType unit, const std::string& description);

private:
  C_ScaleFactory();
  ~C_ScaleFactory();

  static void CreateScaleParFromWorldAndSource(double source1, double source2, double world1, double world2,
                                               double& factor, double& offset);

  I_Scale* CreateLinearScaleWithUnit(double factor, double offset, std::unique_ptr<I_Unit> unit,
                                     const std::string& description);

  std::mutex m_mutex;
  std::map<I_ScaleEnums::E_ScaleType, T_Creator> m_creators;
};
} // namespace BufferApi
