// quick prototype (temporary)
#include <glide.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>
static double now(){timespec t;clock_gettime(CLOCK_MONOTONIC,&t);return t.tv_sec+t.tv_nsec*1e-9;}
struct V{float x,y,q,r,g,b,a,s,t;};
int main(int argc,char**argv){
  int layers=argc>1?atoi(argv[1]):1; double secs=argc>2?atof(argv[2]):2;
  setenv("OBX_GLIDE_DISPLAY","headless",1);
  grGlideInit();grSstSelect(0);
  grSstWinOpen(0,GR_RESOLUTION_640x480,GR_REFRESH_60Hz,GR_COLORFORMAT_ARGB,GR_ORIGIN_UPPER_LEFT,2,1);
  grVertexLayout(GR_PARAM_XY,0,GR_PARAM_ENABLE);grVertexLayout(GR_PARAM_Q,8,GR_PARAM_ENABLE);
  grVertexLayout(GR_PARAM_RGB,12,GR_PARAM_ENABLE);grVertexLayout(GR_PARAM_A,24,GR_PARAM_ENABLE);grVertexLayout(GR_PARAM_ST0,28,GR_PARAM_ENABLE);
  std::vector<FxU16> tx;
  for(int size=256;size>=1;size/=2)for(int y=0;y<size;y++)for(int x=0;x<size;x++)tx.push_back((FxU16)(((x*31/size)<<11)|((y*63/size)<<5)|((x^y)&31)));
  GrTexInfo info={GR_LOD_LOG2_1,GR_LOD_LOG2_256,GR_ASPECT_LOG2_1x1,GR_TEXFMT_RGB_565,tx.data()};
  grTexDownloadMipMap(GR_TMU0,0,GR_MIPMAPLEVELMASK_BOTH,&info);grTexSource(GR_TMU0,0,GR_MIPMAPLEVELMASK_BOTH,&info);
  grTexCombine(GR_TMU0,GR_COMBINE_FUNCTION_LOCAL,GR_COMBINE_FACTOR_NONE,GR_COMBINE_FUNCTION_LOCAL,GR_COMBINE_FACTOR_NONE,FXFALSE,FXFALSE);
  grTexFilterMode(GR_TMU0,GR_TEXTUREFILTER_BILINEAR,GR_TEXTUREFILTER_BILINEAR);
  grTexMipMapMode(GR_TMU0,GR_MIPMAP_NEAREST,FXFALSE);grTexClampMode(GR_TMU0,GR_TEXTURECLAMP_WRAP,GR_TEXTURECLAMP_WRAP);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER,GR_COMBINE_FACTOR_LOCAL,GR_COMBINE_LOCAL_ITERATED,GR_COMBINE_OTHER_TEXTURE,FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER,GR_COMBINE_FACTOR_LOCAL,GR_COMBINE_LOCAL_ITERATED,GR_COMBINE_OTHER_TEXTURE,FXFALSE);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);grDepthBufferFunction(GR_CMP_LEQUAL);
  int frames=0;double t0=now(),el;
  do{
    grDepthMask(FXTRUE);grAlphaBlendFunction(GR_BLEND_ONE,GR_BLEND_ZERO,GR_BLEND_ONE,GR_BLEND_ZERO);
    grBufferClear(0,0,0xFFFF);
    for(int l=0;l<layers;l++){
      float off=layers>1?l*0.13f*256:0, a=layers>1?127.5f:255.f;
      if(layers>1){grAlphaBlendFunction(GR_BLEND_SRC_ALPHA,GR_BLEND_ONE_MINUS_SRC_ALPHA,GR_BLEND_ZERO,GR_BLEND_ZERO);grDepthMask(FXFALSE);}
      float q=0.1f; float xs[4]={0,640,640,0},ys[4]={0,0,480,480};
      V v[4];for(int i=0;i<4;i++)v[i]={xs[i],ys[i],q,255,255,255,a,(xs[i]+off)*q,(ys[i]+off)*q};
      const void* fan[4]={&v[0],&v[1],&v[2],&v[3]};
      grDrawVertexArray(GR_TRIANGLE_FAN,4,(void*)fan);
    }
    grBufferSwap(0);frames++;el=now()-t0;
  }while(el<secs);
  printf("layers %d: %.1f fps %.1f Mpix/s\n",layers,frames/el,frames*640.0*480*layers/el/1e6);
}
