#pragma once

// The whole public interface of the Buffer library in one include.

#include <RTE/RTE.h>

#include <BufferApi/B2FIOHelpers.h>

#include <BufferApi/C_BufferLibMemory.h>
#include <BufferApi/C_ConsecutivePlaneMemory.h>
#include <BufferApi/C_PlaneBaseParam.h>
#include <BufferApi/C_PlaneFactory.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_BufferLibObject.h>
#include <BufferApi/I_Plane.h>
#include <BufferApi/I_PlaneBase.h>
#include <BufferApi/I_PlaneRGB.h>
#include <BufferApi/tagRGBQUAD.h>

#include <BufferApi/C_ScaleFactory.h>
#include <BufferApi/C_ScaleParam.h>
#include <BufferApi/C_UnitFactory.h>
#include <BufferApi/C_UnitParam.h>
#include <BufferApi/I_Scale.h>
#include <BufferApi/I_ScaleEnums.h>
#include <BufferApi/I_Unit.h>

#include <BufferApi/Attributes.h>
#include <BufferApi/BufAttr_Type.h>
#include <BufferApi/C_AttributeBaseParam.h>
#include <BufferApi/C_AttributeFactory.h>
#include <BufferApi/C_AttributeFlagsHelper.h>
#include <BufferApi/C_AttributeParam.h>
#include <BufferApi/C_AttributePlaneParam.h>
#include <BufferApi/C_BufferAttributes.h>
#include <BufferApi/C_CameraFrameMapping.h>
#include <BufferApi/C_FrameAttributes.h>
#include <BufferApi/C_FrameHelperBase.h>
#include <BufferApi/C_FrameTimesHelper.h>
#include <BufferApi/E_AttributeType.h>
#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_AttributeBase.h>
#include <BufferApi/I_AttributePlane.h>
#include <BufferApi/I_AttributeScale.h>

#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/C_FrameFactory.h>
#include <BufferApi/C_FrameImageParam.h>
#include <BufferApi/FrameCreation.h>
#include <BufferApi/I_Component.h>
#include <BufferApi/I_Frame.h>
#include <BufferApi/I_FrameImage.h>

#include <BufferApi/C_FrameVectorParam.h>
#include <BufferApi/E_VectorActive.h>
#include <BufferApi/I_FrameVector.h>
#include <BufferApi/I_FrameVector2C.h>
#include <BufferApi/I_FrameVector3C.h>
#include <BufferApi/VectorFrameCreation.h>

#include <BufferApi/C_FrameProfileParam.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_FrameProfile.h>
#include <BufferApi/I_FrameRGB.h>

#include <BufferApi/C_BufferDump.h>
#include <BufferApi/C_CompatibleVectorPlaneAccess.h>
#include <BufferApi/C_PlaneMinMaxHistogram.h>
#include <BufferApi/C_VectorHelper.h>
#include <BufferApi/C_VectorPlaneAccess.h>

#include <BufferApi/BilinearInterpolation.h>
#include <BufferApi/C_ComponentOp.h>
#include <BufferApi/C_ImagePlaneAccess.h>
#include <BufferApi/C_InterpolatedPixelHelper.h>
#include <BufferApi/MaskOp.h>

#include <BufferApi/C_TypedScalarFrame.h>
#include <BufferApi/C_TypedScalarGlobal.h>
#include <BufferApi/TypedScalar.h>

#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer2File.h>
