#include "tests/skin/gallery/skinned_gallery_form.h"

#include "skin/program_skin_win.h"

TSkinnedGalleryForm::TSkinnedGalleryForm(TComponent* owner)
    : TGalleryForm(owner), SkinEngine(CreateProgramSkinEngine(this)) {}
