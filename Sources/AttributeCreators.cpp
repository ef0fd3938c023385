#include "AttributeCreators.h"

#include "C_Attribute.h"
#include "C_AttributeNode.h"
#include "C_AttributePlane.h"
#include "C_AttributeScale.h"

#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributeParam.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/I_PlaneBase.h>

#include <memory>
#include <string>

namespace BufferApi
{
namespace
{
I_AttributeBase* CreateNode(const C_AttributeBaseParam& param)
{
  return new C_AttributeNode(param.GetName());
}

// Value 0 (empty text) unless param carries an initial value of the same type.
template <typename T>
I_AttributeBase* CreateValue(const C_AttributeBaseParam& param)
{
  auto attribute = std::make_unique<C_Attribute<T>>(param.GetName());
  if (const auto* typed = dynamic_cast<const C_AttributeParam<T>*>(&param))
  {
    attribute->SetValue(typed->GetValue());
  }
  return attribute.release();
}

// Holds a new plane of the parameter's type and size when param describes
// one; otherwise, or when the plane can not be made, holds none.
I_AttributeBase* CreatePlaneAttribute(const C_AttributeBaseParam& param)
{
  auto attribute = std::make_unique<C_AttributePlane>(param.GetName());
  if (const auto* planeParam = dynamic_cast<const C_AttributePlaneParam*>(&param))
  {
    attribute->SetPlane(C_PlaneFactory::GetInstance().Create(planeParam->GetDataType(), *planeParam));
  }
  return attribute.release();
}

I_AttributeBase* CreateScaleAttribute(const C_AttributeBaseParam& param)
{
  return new C_AttributeScale(param.GetName());
}
} // namespace

void RegisterAttributeCreators()
{
  C_AttributeFactory& factory = C_AttributeFactory::GetInstance();
  factory.Register(AttrNode, &CreateNode);
  factory.Register(AttrDouble, &CreateValue<double>);
  factory.Register(AttrFloat, &CreateValue<float>);
  factory.Register(AttrInt32, &CreateValue<int>);
  factory.Register(AttrString, &CreateValue<std::string>);
  factory.Register(AttrUInt32, &CreateValue<unsigned int>);
  factory.Register(AttrUInt16, &CreateValue<unsigned short>);
  factory.Register(AttrPlane, &CreatePlaneAttribute);
  factory.Register(AttrScale, &CreateScaleAttribute);
}
} // namespace BufferApi
