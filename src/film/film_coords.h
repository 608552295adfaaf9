// Film coordinates of a logged reflection on the rotation and Weissenberg photographs.
#pragma once
