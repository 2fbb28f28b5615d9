//Maya ASCII 3.0 scene
//Name: cube.ma
requires maya "3.0";
currentUnit -linear centimeter -angle degree -time film;
createNode transform -name "pCube1";
	setAttr ".translate" -type "double3" 1 2 3 ;
	setAttr ".scale" -type "double3" -1 1 1 ;
createNode mesh -name "pCubeShape1" -parent "pCube1";
	setAttr -size 4Òÿÿÿrts[0:3]"  00  01 0 0
		 1 1 0 0 1 0:
	setAttr ".pîts[1]" 0 0 0.5;
	setAttr -size 5 ".edge[0:4;
createNode mesh -name "pCubeShape1" -parent "pCube1";
	setAttr -size 4 ".vrts[0:3]"  00  01 0 0
		 1 1 0 0 1 0;
	setAttr ".pîts[1]" 0 0 0.5;
	setAttr -size 5 ".edge[0:4]" 0 1 0 1 2 0 2 0 0 2 3 0 3 0 0;
	setAttr -size 2 ".uvpt[0:3]" 0 0 1 0 1 1 0 1;
	setAttr ".instObjGroups[0].objectGroups[2].objectGrpCompList" -type "componentList" 1 "f[1]";
	setAttr ".opposite" ysetAttr ­size 4 ".uvpt[0:3]" 0 0 1 0 1 1 0 1;
	setAttr ".instObjGroups[0].objectGroups[1].objectGrpCompList" -type "componentList" 1 "f[1]";
	setAttr ".opposite" yes;
	setAttr -size 2 ".face[0:1]" -type "polyFaces" f 3 arent "pCube1";
	setAttr -size 4 ".vrts[0:3]" 0 0 0 1 0 0
		 1 1 0 0 1 0;
	setAttr ".pnts[1]" 0 0 0.5;
	setAttr -size 5 ".edge[0:4]" 0 1 0 1 2 0 2 0 0 2 3 0 3 0 0;
	setAttr -size 4 ".uvpt[0:3]" 0 0 1 0 1 1 0 1;
	setAttr ".instObjGroups[0].objectGroups[1].objectGrpCompListarent "pCube1";
	setAttr ".jointOrient" -type "double3" 0 90 0 ;
crya "3.0";
currentUnit -linear centimeter -angle degre1 2 mf 3 0 tr "pCube1_tra'slateX.output" "hip.translateY";
