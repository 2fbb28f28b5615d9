//Maya ASCII 3.0 scene
//Name: cube.ma
requires maya "3.0";
currentUnit -linear centimeter -angle degree -time film;
createNode transform -name "pCube1";
	setAttr ".translate" -type "double3" 1 2 3 ;
	setAttr ".scale" -type "double3" -1 1 1 ;
createNode mesh -name "pCubeShape1" -parent "pCube1";
	setAttr -size 4 ".vrts[0:3]" 0 0 0 1 0 0
		 1 1 0 0 1 0;
	setAttr ".pnts[1]" 0 0 0.5;
	setAttr -size 5 ".edge[0:4]" 0 1 0 1 2 0 2 0 0 2 3 0 3 0 0;
	setAttr -size 4 ".uvpt[0:3]" 0 0 1 0 1 1 0 1;
	setAttr ".instObjGroups[0].objectGroups[1].objectGrpCompList" -type "componentList" 1 "f[1]";
	setAttr ".opposite" yes;
	setAttr -size 2 ".face[0:1]" -type "polyFaces" f 3 0 1 2 mf 3 0 1 2 f 3 -3 3 4 mf 3 3 2 3 h 1 0;
createNode joint -name "hip" -parent "pCube1";
	setAttr ".jointOrient" -type "double3" 0 90 0 ;
createNode locator -name "snapper1" -parent "hip";
createNode blinn -name "blue";
	setAttr ".color" -type "float3" 0 0 1 ;
createNode shadingEngine -name "blueSG";
createNode file -name "bricks";
	setAttr ".fileTextureName" -type "string" "bricks.tga";
createNode animCurveTL -name "pCube1_translateX";
	setAttr ".tangentType" 9;
	setAttr -size 2 ".keyTimeValue[0:1]" 0 0 24 1;
createNode animCurveTL -name "pCubeShape1_pnts1pntx";
	setAttr -size 2 ".keyTimeValue[0:1]" 0 0 12 2;
connectAttr "blue.outColor" "blueSG.surfaceShader";
connectAttr "bricks.outColor" "blue.color";
connectAttr "pCubeShape1.instObjGroups[0].objectGroups[1]" "blueSG.dagSetMembers";
connectAttr "pCube1_translateX.output" "hip.translateY";
