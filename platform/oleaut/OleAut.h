// Automation values: strings, variants, arrays, decimals, currency, dates
// and the error type the wrappers throw.
#pragma once

#include "platform/oleaut/Bstr.h"
#include "platform/oleaut/BstrT.h"
#include "platform/oleaut/ComError.h"
#include "platform/oleaut/DateTime.h"
#include "platform/oleaut/Decimal.h"
#include "platform/oleaut/SafeArray.h"
#include "platform/oleaut/TextForm.h"
#include "platform/oleaut/Variant.h"
#include "platform/oleaut/VariantT.h"
