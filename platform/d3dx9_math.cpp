#include "platform/d3dx9.h"

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  if (pOut == nullptr || pEye == nullptr || pAt == nullptr || pUp == nullptr) return pOut;
  pOut->lookAt(*pEye, *pAt, *pUp);
  return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn,
                                       float zf) {
  if (pOut == nullptr) return pOut;
  // Matrix4 takes degrees; dividing by the same factor it multiplies with
  // gives back the caller's radians to within rounding.
  const double degrees = double(fovy) / double(kDegreesToRadians);
  pOut->perspectiveFov(static_cast<float>(degrees), Aspect, zn, zf);
  return pOut;
}
